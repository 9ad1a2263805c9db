// Pictures with per-pixel alpha drawn over whatever lies beneath: the image list (icons of
// buttons, stores of pictures) and the picture view control. Pictures come from PNG files
// through the toolkit's PNG reader.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/LayeredBitmap.h"
#include "toolkit/PngReader.h"

namespace qv {

// A picture file that cannot be read or decoded.
class EPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A decoded picture with the premultiplied bitmap GDI blends it from.
class TPicture {
 public:
  TPicture() = default;
  explicit TPicture(RgbaImage image);

  bool Empty() const { return image_.Empty(); }
  int Width() const { return static_cast<int>(image_.width); }
  int Height() const { return static_cast<int>(image_.height); }
  const RgbaImage& Image() const { return image_; }
  // Blends the picture at (x, y) at its own size; opacity 0..255 on top of its alpha.
  void Draw(HDC dc, int x, int y, int opacity = 255) const;

  // Throws EPictureError with the reader's reason.
  static TPicture FromFile(const std::string& path);

 private:
  RgbaImage image_;
  std::shared_ptr<LayeredBitmap> bitmap_;
};

// An ordered list of pictures; Width and Height (24 by default) are the size its users lay
// out for. Pictures of another size are drawn at their own size.
class TImageList : public TComponent {
  QV_CLASS(TImageList, TComponent)

 public:
  explicit TImageList(ComponentOwner owner);

  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  int Height() const { return height_; }
  void SetHeight(int height) { height_ = height; }

  int Count() const { return static_cast<int>(pictures_.size()); }
  int Add(TPicture picture);  // returns the new picture's index
  // Loads a PNG file as a new picture; EPictureError when it cannot be read.
  int AddFromFile(const std::string& path);
  void Clear() { pictures_.clear(); }
  const TPicture& Picture(int index) const;  // std::out_of_range outside 0..Count-1
  // Draws picture index; a disabled look is drawn at reduced opacity.
  void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;

 private:
  int width_ = 24;
  int height_ = 24;
  std::vector<TPicture> pictures_;
};

// A picture view. AutoSize fits the control to its picture; Center places a smaller picture
// in the middle, else it stands at the top left.
class TImage : public TWinControl {
  QV_CLASS(TImage, TWinControl)

 public:
  explicit TImage(ComponentOwner owner);

  const TPicture& Picture() const { return picture_; }
  void SetPicture(TPicture picture);
  // Throws EPictureError; the current picture stays then.
  void LoadFromFile(const std::string& path);

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Center() const { return center_; }
  void SetCenter(bool center);

 protected:
  void Paint(HDC dc, const RECT& client) override;

 private:
  TPicture picture_;
  bool autoSize_ = false;
  bool center_ = false;
};

}  // namespace qv
