// Mark-up texts carry names from outside (file names in notifications): the
// parser and the layout must end, stay inside the text and lay out sane
// rectangles, and the plain text must agree with the runs handed on.
#include "plat/MarkUp.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Canvas : plat::MarkUp::Layout::Callback {
  void setStyle(int style, int linkId) override {
    if (style < 0 || style > 2 || linkId < 0)
      __builtin_trap();
    bold = style == 1;
  }
  int lineHeight() override { return bold ? 13 : 10; }
  int measure(const char* from, const char* to) override {
    check(from, to);
    int w = 0;
    for (; from < to; from++)
      w += 1 + (*from & 7);
    return w;
  }
  void emit(const char* from, const char* to, const Rect& r) override {
    check(from, to);
    if (r.right < r.left || r.bottom <= r.top)
      __builtin_trap();
    rects.push_back(r);
  }
  // The layout hands out positions inside the run it was given.
  void check(const char* from, const char* to) {
    if (from < run || to < from || to > run + strlen(run))
      __builtin_trap();
  }
  const char* run = nullptr;
  bool bold = false;
  std::vector<Rect> rects;
};

struct Tracer : plat::MarkUp::Handler {
  Tracer(plat::MarkUp::Layout* layout, Canvas* canvas) : layout(layout), canvas(canvas) {}
  void text(const char* run, int style, int linkId, bool halfLine) override {
    plain += run;
    canvas->run = run;
    layout->text(run, style, linkId, halfLine);
  }
  void margin(char op) override { layout->margin(op); }
  plat::MarkUp::Layout* layout;
  Canvas* canvas;
  std::string plain;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  // The first byte picks the width (0: unlimited), the rest is the text.
  int width = (int8_t)data[0] * 4;
  std::string text((const char*)data + 1, size - 1);
  Canvas canvas;
  plat::MarkUp::Layout layout(&canvas, width);
  Tracer tracer(&layout, &canvas);
  bool parsed = true;
  try {
    plat::MarkUp::parse(text.c_str(), &tracer);
  } catch (const plat::Exception&) {
    parsed = false;
  }
  for (const auto& r : canvas.rects)
    if (r.right > layout.width() || r.bottom > layout.height())
      __builtin_trap();
  try {
    plat::MarkUp::Stripper stripper(text.c_str());
    if (!parsed || tracer.plain != stripper.plainText())
      __builtin_trap();
  } catch (const plat::Exception&) {
    if (parsed)
      __builtin_trap();
  }
  return 0;
}
