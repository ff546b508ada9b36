#include "ui/win/ImageList.h"
#include "plat/Exception.h"

namespace ui {

static UINT colourFlag(int depth) {
  switch (depth) {
  case 4:
    return ILC_COLOR4;
  case 8:
    return ILC_COLOR8;
  case 16:
    return ILC_COLOR16;
  case 24:
    return ILC_COLOR24;
  case 32:
    return ILC_COLOR32;
  default:
    return ILC_COLOR;
  }
}

ImageList::ImageList(int cx, int cy, int growBy, bool masked, int colourDepth) : cx_(cx), cy_(cy) {
  InitCommonControls();
  list_ = ImageList_Create(cx, cy, colourFlag(colourDepth) | (masked ? ILC_MASK : 0), 0, growBy);
  if (!list_)
    throw plat::SystemException("ImageList_Create", (int)GetLastError());
}

ImageList::~ImageList() {
  if (list_)
    ImageList_Destroy(list_);
}

int ImageList::addMasked(HBITMAP bitmap, COLORREF maskColour, bool deleteBitmap) {
  int index = ImageList_AddMasked(list_, bitmap, maskColour);
  DWORD error = GetLastError();
  if (deleteBitmap)
    DeleteObject(bitmap);
  if (index == -1)
    throw plat::SystemException("ImageList_AddMasked", (int)error);
  return index;
}

int ImageList::addIcon(HINSTANCE instance, int iconId) {
  HICON icon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, cx_, cy_,
                                 LR_DEFAULTCOLOR);
  int index = icon ? ImageList_ReplaceIcon(list_, -1, icon) : -1;
  DWORD error = GetLastError();
  if (icon)
    DestroyIcon(icon);
  if (index == -1)
    throw plat::SystemException("ImageList_AddIcon", (int)error);
  return index;
}

} // namespace ui
