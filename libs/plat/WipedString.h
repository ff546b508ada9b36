// Holder of a secret text (a password): the text is overwritten with zeros
// before it is freed or replaced.
#pragma once

namespace plat {

class WipedString {
public:
  WipedString() : text_(nullptr) {}
  explicit WipedString(char* text) : text_(text) {}
  WipedString(const WipedString&) = delete;
  WipedString& operator=(const WipedString&) = delete;
  ~WipedString() { set(nullptr); }

  // Wipes and frees the held text, then takes ownership of a new[] text.
  void set(char* text);
  const char* c_str() const { return text_; }

private:
  char* text_;
};

// Overwrites len bytes in a way the optimiser cannot drop.
void secureZero(void* data, int len);

} // namespace plat
