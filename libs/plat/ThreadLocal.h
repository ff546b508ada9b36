// An object of each thread that uses it: made at its first use on the
// thread, deleted when the thread ends. For objects with a destructor, in
// place of the language's thread_local: the Windows runtime of this
// toolchain frees a thread's thread_local storage before it runs the
// destructors of the objects in it, which then write to freed memory.
#pragma once

namespace plat {

// One slot of a pointer per thread; destroy gets the thread's value when
// the thread ends. A slot lives as long as the process.
class ThreadSlot {
public:
  explicit ThreadSlot(void (*destroy)(void*));
  ThreadSlot(const ThreadSlot&) = delete;
  ThreadSlot& operator=(const ThreadSlot&) = delete;

  void* get() const;
  void set(void* value);

private:
  unsigned long index;
};

template <class T> class ThreadLocal {
public:
  ThreadLocal() : slot(&destroy) {}

  T& get() {
    void* value = slot.get();
    if (!value) {
      value = new T;
      slot.set(value);
    }
    return *static_cast<T*>(value);
  }

private:
  static void destroy(void* value) { delete static_cast<T*>(value); }

  ThreadSlot slot;
};

} // namespace plat
