// Pictures of the toolkit's windows for ./dev shots: a dialog with every
// control kind, and the file-or-folder chooser in a folder of files.
#include "../tests/win/ChooserDriver.h"
#include "../tests/win/TestDialogs.h"
#include "testing/ModalHelper.h"
#include "testing/Shots.h"
#include "testing/TempDir.h"
#include "ui/win/ComboBoxEx.h"
#include "ui/win/Dialog.h"
#include "ui/win/Font.h"
#include "ui/win/Overlay.h"
#include "ui/win/ResizeGrip.h"
#include "ui/win/SystemImageList.h"
#include "ui/win/Tooltip.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

int iconOf(const wchar_t* path) {
  SHFILEINFOW info = {};
  SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

std::wstring knownFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"C:\\";
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

} // namespace

// A settings dialog whose server and folder a policy fixes.
KIV_SHOT(controls) {
  ui::Font heading;
  ui::PolicyWindow server;
  ui::Button browse;
  ui::ComboBoxEx folder;
  ui::ResizeGrip grip;
  struct Plain : ui::Dialog {
    Plain() : ui::Dialog(L"CONTROLS_DIALOG", nullptr, IDI_TILE, IDI_TILE) {}
  } dialog;
  dialog.createModeless(nullptr);
  HWND window = dialog.getHandle();
  SetWindowPos(window, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  LOGFONTW description;
  GetObjectW((HFONT)SendMessageW(window, WM_GETFONT, 0, 0), sizeof(description), &description);
  description.lfWeight = FW_BOLD;
  heading.set(CreateFontIndirectW(&description), false);
  SendDlgItemMessageW(window, IDC_HEADING, WM_SETFONT, (WPARAM)heading.handle(), TRUE);

  server.wrap(dialog.getDlgItem(IDC_SERVER));
  server.setText("files.example.org::5901");
  server.setLocked(true);
  HICON lockIcon = (HICON)LoadImageW(nullptr, MAKEINTRESOURCEW(32515), IMAGE_ICON,
                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                     LR_SHARED);
  ui::Overlay lock(lockIcon, ui::OnBottomRight, 2, 2);
  lock.attach(server.getHandle());

  folder.wrap(dialog.getDlgItem(IDC_FOLDER));
  folder.setImageList(ui::systemImageList(true));
  folder.addItem("Ask every time", iconOf(L"C:\\"));
  std::wstring desktop = knownFolder(CSIDL_DESKTOPDIRECTORY);
  std::wstring documents = knownFolder(CSIDL_PERSONAL);
  folder.addItem("Desktop", iconOf(desktop.c_str()));
  folder.addItem("Documents", iconOf(documents.c_str()));
  folder.addItem("Other...", iconOf(L"C:\\"));
  folder.setText("Desktop");
  folder.setLocked(true);

  browse.wrap(dialog.getDlgItem(IDC_BROWSE));
  browse.setLocked(true);
  CheckDlgButton(window, IDC_CLIPBOARD, BST_CHECKED);

  ui::Tooltip tips(window);
  tips.addTool(dialog.getDlgItem(IDC_CLIPBOARD), "Files copied here can be pasted there", 300);
  grip.create(window);
  dialog.bringToFront();
  shot.save(window);
}

KIV_SHOT(file_or_folder_chooser) {
  testing_support::TempDir temp;
  std::string project = temp.file("Harbour Project");
  CreateDirectoryW(testing_support::wide(project).c_str(), nullptr);
  for (const char* name : {"Quarterly report.pdf", "Budget 2026.xlsx", "Meeting notes.txt",
                           "Site photo 014.jpg", "Site photo 015.jpg"})
    testing_support::writeFile(project + "\\" + name, "content");
  CreateDirectoryW(testing_support::wide(project + "\\Drawings").c_str(), nullptr);

  testing_support::ModalHelper helper;
  helper.expect(L"Send Files", [&](HWND frame) {
    chooser_driver::openFolder(frame, project);
    SendMessageW(frame, CDM_SETCONTROLTEXT, chooser_driver::NameBox, (LPARAM)L"\"Meeting notes.txt\"");
    HWND ours = GetParent(testing_support::findDescendant(frame, ui::GetFileOrFolderDialog::UseEntireFolder));
    shot.save(frame, ours);
    testing_support::ModalHelper::dismiss(frame);
  });
  ui::GetFileOrFolderDialog chooser;
  chooser.run(nullptr, true, "Send Files", false);
}
