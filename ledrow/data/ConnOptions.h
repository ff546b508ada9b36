// The option set of one address-book entry: the viewer options a
// connection file carries, the server address, the user name, the
// password (held obfuscated) and the server identity. It is a parameter
// group of its own, so the options pages edit it through the generic
// parameter interface, and it reads and writes connection files.
#pragma once

#include "ledrow/data/ZeroingBytes.h"
#include "plat/BinaryParameter.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "plat/EnumParameter.h"

#include <map>
#include <string>

namespace rdr {
class InStream;
class OutStream;
} // namespace rdr

namespace addrbook {

class SafeSaveFile;

class CConnOptions : public plat::ParameterChangedCallback, public plat::Configuration {
public:
  // Receives the walk over the sections and pairs of an option set: the
  // connection-file writer, the entry hash and the XML export.
  class Formatter {
  public:
    virtual ~Formatter() {}
    virtual void begin(rdr::OutStream& out, bool includePassword, bool optionsOnly) = 0;
    virtual void beginSection(const char* name, rdr::OutStream& out, bool includePassword) = 0;
    virtual void param(const char* name, const char* value, rdr::OutStream& out) = 0;
    virtual void endSection(const char* name, rdr::OutStream& out) = 0;
    virtual void end(rdr::OutStream& out) = 0;
  };

  // The quality slider's positions.
  enum { QualityPresets = 6 };
  // The longest line a connection file may hold, line end not counted.
  enum { MaxLineLength = 4095 };
  // The largest connection file read or written. A written one holds a few
  // KiB; this leaves room for many options kept from other writers.
  enum { MaxFileLength = 1024 * 1024 };

  CConnOptions();
  // Copies every option at every priority, then the password bytes as they
  // are, the file path, the host, the identity and the extra options. A
  // PasswordFile is opened only as a pair read from a file would be.
  CConnOptions& operator=(const CConnOptions& other);
  ~CConnOptions() override;

  void parameterChanged(plat::ConfigParameter* param, int priority) override;

  // Applies a connection file's pairs (at priority 50). Throws
  // plat::Exception "Line too long", "bad Section", "bad Name/Value pair" or
  // "Invalid UTF-8 encoding for Host"; what was applied stays applied.
  virtual void read(rdr::InStream& in);
  // Reads a whole file ("-" is standard input), then remembers the path.
  // Throws plat::Exception for a file larger than MaxFileLength, before
  // anything of it is applied.
  virtual void loadFromFile(const char* path);
  // formatter null: the connection-file text.
  virtual void write(rdr::OutStream& out, bool includePassword, bool optionsOnly,
                     Formatter* formatter);
  // Replaces the file in one step (writeBeside, then a commit) or leaves it
  // as it was; throws plat::Exception "Failed to write configuration file".
  virtual void saveToFile(const char* path, bool includePassword, bool optionsOnly,
                          Formatter* formatter);
  // The writer of every entry file: the text goes beside path, into file
  // ("<path>.tmp"), and onto the disk; file.commit() puts it in place.
  // Throws plat::Exception for a text larger than MaxFileLength (it would
  // never be read), or as the write or the file does.
  virtual void writeBeside(SafeSaveFile& file, const char* path, bool includePassword,
                           bool optionsOnly, Formatter* formatter);
  virtual void writeSection(const char* section, rdr::OutStream& out, bool includePassword,
                            Formatter* formatter);
  // One pair read from a file (or another connection text). A PasswordFile
  // it names that may reach another machine is kept but not opened: Windows
  // would sign in to that machine as the user, for text the user may
  // never have seen. The user's own edits of the option open it.
  virtual void setFromFile(const char* name, const char* value, const char* section);

  // The file's own path, the password included, both sections.
  void save();
  void reload();

  // Up to capacity bytes of one line into buffer, which holds capacity + 1
  // bytes for the terminator. Carriage returns are dropped; the line feed
  // ends the line and is not stored. The end of the stream propagates only
  // when the line is empty. Returns the bytes stored: capacity means the
  // line went on.
  static int readLine(rdr::InStream& in, char* buffer, int capacity);

  // null clears the password.
  void setPassword(const char* plain);
  const ZeroingBytes& getPassword() const { return password_; }
  void setPasswordBytes(const void* data, int length) { password_.assign(data, length); }

  const char* getHost() const { return host_.c_str(); }
  void setHost(const char* host) { host_ = host; }
  const char* getFilePath() const { return filePath_.c_str(); }
  void setFilePath(const char* path) { filePath_ = path; }
  const plat::Bytes& getIdentity() const { return identity_; }
  void setIdentity(const plat::Bytes& identity) { identity_ = identity; }
  // Pairs of a read file's "Options" section that are no option: kept and
  // written back.
  const std::map<std::string, std::string>& getExtraOptions() const { return extraOptions_; }

  // The colour level and preferred encoding of a slider position (0 to 5),
  // with FullColour off, all at priority.
  void setQualityPreset(int position, int priority);
  int getQualityPreset() const;

  plat::BoolParameter useLocalCursor;
  plat::BoolParameter fullScreen;
  plat::BoolParameter relativePtr;
  plat::BoolParameter fullColour;
  plat::StringParameter colourLevel;
  plat::BoolParameter autoSelect;
  plat::BoolParameter shared;
  plat::BoolParameter sendPointerEvents;
  plat::BoolParameter sendKeyEvents;
  plat::BoolParameter clientCutText;
  plat::BoolParameter serverCutText;
  plat::BoolParameter shareFiles;
  plat::BoolParameter enableChat;
  plat::StringParameter proxyServer;
  plat::EnumParameter proxyType;
  plat::IntParameter pointerEventInterval;
  plat::BoolParameter protocol33;
  plat::BoolParameter acceptBell;
  plat::StringParameter scaling;
  plat::EnumParameter menuKey;
  plat::BoolParameter enableToolbar;
  plat::StringParameter userName;
  plat::EnumParameter encryption;
  plat::StringParameter selectDesktop;
  plat::EnumParameter preferredEncoding;
  plat::BoolParameter autoReconnect;
  plat::BoolParameter singleSignOn;
  plat::BoolParameter enableRemotePrinting;
  plat::BoolParameter changeServerDefaultPrinter;
  plat::BoolParameter scalePrintOutput;
  plat::StringParameter passwordFile;
  plat::IntParameter verifyId;
  plat::BinaryParameter idHash;
  plat::BoolParameter fullScreenChangeResolution;
  plat::BoolParameter useAllMonitors;
  plat::BoolParameter emulate3;
  plat::BoolParameter disableWinKeys;
  plat::BoolParameter suppressIME;
  plat::StringParameter monitor;

protected:
  plat::String filePath_;
  plat::String host_;
  ZeroingBytes password_;
  plat::Bytes identity_;
  std::map<std::string, std::string> extraOptions_;

private:
  void readPasswordFile();
  void applyLegacyOption(const char* name, const char* value);

  // Raised while the options come from a text or another entry rather than
  // from the user.
  bool takingText_;
};

} // namespace addrbook
