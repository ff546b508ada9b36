// Holders of a stdio stream and of a C runtime file descriptor.
#pragma once

#include <cstdio>

namespace plat {

class StdioFile {
public:
  enum Mode { Read = 0, Write = 1, Append = 2, AppendRead = 3, ReadWrite = 4,
              ReadWriteOrCreate = 5, CreateReadWrite = 6 };

  StdioFile() : owned_(true), file_(nullptr) {}
  StdioFile(FILE* file, bool owned) : owned_(owned), file_(file) {}
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;
  ~StdioFile() { close(); }

  void set(FILE* file, bool owned);
  void close();
  // "-" names standard input (mode 0) or standard output (modes 1 and 2),
  // held unowned; any other name is opened with fileOpen and held owned.
  void open(const char* name, int mode, bool binary);

  FILE* get() const { return file_; }
  bool isOpen() const { return file_ != nullptr; }

private:
  bool owned_;
  FILE* file_;
};

class FileDescriptor {
public:
  FileDescriptor() : fd_(-1) {}
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { close(); }

  // Opens in binary mode with the caller's flags; throws "open".
  void open(const char* path, int flags);
  // One write; may write fewer bytes than asked. Throws for 0 and errors.
  int write(const void* data, int len);
  void close();
  void reset(int fd);
  int get() const { return fd_; }

private:
  int fd_;
};

} // namespace plat
