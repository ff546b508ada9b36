// An image list (owned) with the size of its images.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace ui {

class ImageList {
public:
  // colourDepth 4, 8, 16, 24 or 32 bits; anything else the system's
  // default. Throws plat::SystemException "ImageList_Create".
  ImageList(int cx, int cy, int growBy, bool masked, int colourDepth);
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  ~ImageList();

  // The bitmap is deleted when asked, whether or not it was added. Throws
  // plat::SystemException "ImageList_AddMasked".
  int addMasked(HBITMAP bitmap, COLORREF maskColour, bool deleteBitmap);
  // The icon resource at the list's image size. Throws
  // plat::SystemException "ImageList_AddIcon".
  int addIcon(HINSTANCE instance, int iconId);

  HIMAGELIST handle() const { return list_; }
  int width() const { return cx_; }
  int height() const { return cy_; }

private:
  HIMAGELIST list_;
  int cx_;
  int cy_;
};

} // namespace ui
