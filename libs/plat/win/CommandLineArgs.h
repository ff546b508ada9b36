// The process command line split into UTF-8 arguments. Quotes (double or
// single) group text, blanks included, and are dropped; there is no escape
// character, and adjacent quoted and unquoted pieces form one argument.
#pragma once

namespace plat {

class CommandLineArgs {
public:
  // Splits GetCommandLineW().
  CommandLineArgs();
  explicit CommandLineArgs(const wchar_t* commandLine);
  CommandLineArgs(const CommandLineArgs&) = delete;
  CommandLineArgs& operator=(const CommandLineArgs&) = delete;
  ~CommandLineArgs();

  int count() const { return count_; }
  // Entry 0 is the program as it was started; argv()[count()] is null.
  char** argv() const { return args_; }
  const char* operator[](int i) const { return args_[i]; }

private:
  void split(const wchar_t* commandLine);

  int count_;
  char** args_;
};

} // namespace plat
