// What the extension asks of the program for each connection: the one
// upload manager, and a download manager of the connection's own.
#pragma once

namespace rfb {
class MsgHandler;
} // namespace rfb

namespace ft {

class DownloadManager;
class Extension;
class UploadManager;

class ConnectionManager {
public:
  // Not owned by the caller.
  virtual UploadManager* uploadManagerFor(Extension* extension, rfb::MsgHandler* connection) = 0;
  // A new manager, given back through releaseConnection.
  virtual DownloadManager* createDownloadManager(Extension* extension,
                                                 rfb::MsgHandler* connection) = 0;
  // The connection is gone: deletes the download manager (null allowed).
  virtual void releaseConnection(UploadManager* uploadManager,
                                 DownloadManager* downloadManager) = 0;
  virtual ~ConnectionManager() {}
};

} // namespace ft
