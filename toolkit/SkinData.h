// The skin components: a compressed stored skin holds the bytes of one .skn file (the main
// form's built-in "iMetal2.skn"), and the skin data applies a skin (stored or loaded from a
// file) to the whole process: it replaces the current SkinStyle, so that every window of the
// process repaints with it. It also carries the switches that go with a skin (frames drawn by
// the skin, glow frames) and the toolkit's resource strings.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/Component.h"
#include "toolkit/SkinFormat.h"

namespace qv {

class TspResourceStrData;

// The .skn bytes of the built-in skin, made from skins-src/iMetal2.skin.txt at build time.
std::string_view BuiltInSkin();
inline constexpr char kBuiltInSkinFileName[] = "iMetal2.skn";

class TspCompressedStoredSkin : public TComponent {
  QV_CLASS(TspCompressedStoredSkin, TComponent)

 public:
  explicit TspCompressedStoredSkin(ComponentOwner owner);

  // The name of the file the skin came from; kept for reference only.
  const std::string& CompressedFileName() const { return compressedFileName_; }
  void SetCompressedFileName(const std::string& name) { compressedFileName_ = name; }

  // The .skn bytes, empty for none. Setting checks that they decode: ESkinFormatError, and
  // the previous skin stays, when they do not. Empty bytes clear the skin.
  const std::string& CompressedData() const { return data_; }
  void SetCompressedData(std::string bytes);
  // Reads a .skn file into the component and takes its name as CompressedFileName; throws
  // ESkinFormatError (the previous skin stays) when it cannot be read or is not a skin.
  void LoadFromCompressedFile(const std::string& path);
  // Takes the built-in skin, named kBuiltInSkinFileName.
  void LoadBuiltInSkin();

  bool Empty() const { return data_.empty(); }
  // The decoded skin; meaningful only when not Empty().
  const SkinDescription& Skin() const { return skin_; }

 private:
  std::string compressedFileName_;
  std::string data_;
  SkinDescription skin_;
};

class TspSkinData : public TComponent {
  QV_CLASS(TspSkinData, TComponent)

 public:
  explicit TspSkinData(ComponentOwner owner);
  ~TspSkinData() override;

  // The stored skin. Setting one that holds a skin applies it at once (while the owner's
  // description is being read, at the end of it); setting none, or an empty one, applies
  // nothing and leaves the current look as it is.
  TspCompressedStoredSkin* CompressedStoredSkin() const { return storedSkin_; }
  void SetCompressedStoredSkin(TspCompressedStoredSkin* skin);

  // Loads a .skn file and applies it at once. False when the file cannot be read or is not a
  // valid skin: LastError() says why and the current skin stays in place.
  bool LoadFromCompressedFile(const std::string& path);
  const std::string& LastError() const { return lastError_; }

  // The name of the skin this component applied last ("" before the first).
  const std::string& SkinName() const { return skinName_; }

  // Whether forms paint their frame and title bar in the skin's caption colour (true for a
  // .skn skin, false for a .nsf.skn one, which leaves the frames to the system).
  bool SkinnableForm() const { return skinnableForm_; }
  void SetSkinnableForm(bool skinnable);
  // A glow frame around the button under the mouse.
  bool ShowButtonGlowFrames() const { return buttonGlow_; }
  void SetShowButtonGlowFrames(bool show);
  // The caption buttons are the system's, so the toolkit draws no glow on them; the switch is
  // kept so that callers can set it as for any skin.
  bool ShowCaptionButtonGlowFrames() const { return captionButtonGlow_; }
  void SetShowCaptionButtonGlowFrames(bool show) { captionButtonGlow_ = show; }

  // The toolkit's captions (message-box buttons ...); may be missing.
  TspResourceStrData* ResourceStrData() const { return resourceStrData_; }
  void SetResourceStrData(TspResourceStrData* data);

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void Apply(const SkinDescription& skin);
  void SwitchesChanged();

  TspCompressedStoredSkin* storedSkin_ = nullptr;
  TspResourceStrData* resourceStrData_ = nullptr;
  bool skinnableForm_ = true;
  bool buttonGlow_ = true;
  bool captionButtonGlow_ = true;
  std::string skinName_;
  std::string lastError_;
};

}  // namespace qv
