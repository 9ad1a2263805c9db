// Pictures: alpha-blended drawing of decoded PNG pictures, the image list and the picture view.
#include "toolkit/Pictures.h"

#include <algorithm>

#include "toolkit/GdiObjects.h"
#include "toolkit/PngFile.h"

namespace qv {

// ---- TPicture ----------------------------------------------------------------------------

TPicture::TPicture(RgbaImage image) : image_(std::move(image)) {
  if (!image_.Empty()) bitmap_ = std::make_shared<LayeredBitmap>(image_);
}

TPicture TPicture::FromFile(const std::string& path) {
  PngResult result = LoadPngFile(path);
  if (!result.ok) throw EPictureError(result.error);
  return TPicture(std::move(result.image));
}

void TPicture::Draw(HDC dc, int x, int y, int opacity) const {
  if (!bitmap_ || !bitmap_->Valid()) return;
  MemoryDC memory(CreateCompatibleDC(dc));
  if (!memory.Valid()) return;
  SelectObjectScope select(memory.Get(), bitmap_->Handle());
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(opacity, 0, 255)),
                      AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, bitmap_->Width(), bitmap_->Height(), memory.Get(), 0, 0,
             bitmap_->Width(), bitmap_->Height(), blend);
}

// ---- TImageList --------------------------------------------------------------------------

QV_PUBLISHED(TImageList) {
  using P = Publish<TImageList>;
  return {
      P::Integer("Width", "Integer", &TImageList::Width, &TImageList::SetWidth),
      P::Integer("Height", "Integer", &TImageList::Height, &TImageList::SetHeight),
  };
}

TImageList::TImageList(ComponentOwner owner) : TComponent(owner) {}

int TImageList::Add(TPicture picture) {
  pictures_.push_back(std::move(picture));
  return Count() - 1;
}

int TImageList::AddFromFile(const std::string& path) { return Add(TPicture::FromFile(path)); }

const TPicture& TImageList::Picture(int index) const {
  return pictures_.at(static_cast<size_t>(index));
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  pictures_[static_cast<size_t>(index)].Draw(dc, x, y, enabled ? 255 : 110);
}

// ---- TImage ------------------------------------------------------------------------------

QV_PUBLISHED(TImage) {
  using P = Publish<TImage>;
  return {
      P::Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize),
      P::Boolean("Center", &TImage::Center, &TImage::SetCenter),
  };
}

TImage::TImage(ComponentOwner owner) : TWinControl(owner) {
  width_ = 105;
  height_ = 105;
}

void TImage::SetPicture(TPicture picture) {
  picture_ = std::move(picture);
  if (autoSize_ && !picture_.Empty()) SetBounds(left_, top_, picture_.Width(), picture_.Height());
  Invalidate();
}

void TImage::LoadFromFile(const std::string& path) { SetPicture(TPicture::FromFile(path)); }

void TImage::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  if (autoSize_ && !picture_.Empty()) SetBounds(left_, top_, picture_.Width(), picture_.Height());
}

void TImage::SetCenter(bool center) {
  center_ = center;
  Invalidate();
}

void TImage::Paint(HDC dc, const RECT& client) {
  TWinControl::Paint(dc, client);  // the parent's background shows through the alpha
  int x = 0, y = 0;
  if (center_) {
    x = (client.right - client.left - picture_.Width()) / 2;
    y = (client.bottom - client.top - picture_.Height()) / 2;
  }
  picture_.Draw(dc, x, y);
}

}  // namespace qv
