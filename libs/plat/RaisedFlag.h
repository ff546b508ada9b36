// A flag raised for as long as the holder lives, then put back as it was:
// a "while this runs" state that the calls made meanwhile look at.
#pragma once

namespace plat {

class RaisedFlag {
public:
  explicit RaisedFlag(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  RaisedFlag(const RaisedFlag&) = delete;
  RaisedFlag& operator=(const RaisedFlag&) = delete;
  ~RaisedFlag() { flag_ = was_; }

private:
  bool& flag_;
  bool was_;
};

} // namespace plat
