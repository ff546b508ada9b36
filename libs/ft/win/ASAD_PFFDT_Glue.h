// Joins the automatic downloader to the fetch-folder prompt: the
// downloader's questions about a folder go to the prompt thread, and the
// answers come back to the downloader on the main thread. Made at start-up
// on the main thread, deleted at shutdown.
#pragma once

#include "ft/win/ActiveShareAutoDownloader.h"
#include "ft/win/PromptForFetchDirThread.h"

namespace ft {

class ASAD_PFFDT_Glue : public ActiveShareAutoDownloader::GetDirCallback {
public:
  // A null prompt means the shell's folder browser and message boxes.
  explicit ASAD_PFFDT_Glue(Extension* extension, FolderPrompt* prompt = nullptr);
  ASAD_PFFDT_Glue(const ASAD_PFFDT_Glue&) = delete;
  ASAD_PFFDT_Glue& operator=(const ASAD_PFFDT_Glue&) = delete;
  // The prompt thread goes first, then the downloader with its downloads.
  ~ASAD_PFFDT_Glue() override = default;

  void getDir(ShareProxy* share) override;

  ActiveShareAutoDownloader& autoDownloader() { return autoDownloader_; }
  PromptForFetchDirThread& promptThread() { return promptThread_; }

private:
  ActiveShareAutoDownloader autoDownloader_;
  PromptForFetchDirThread promptThread_;
};

} // namespace ft
