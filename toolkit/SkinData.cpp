// The stored skin and the skin data: reading .skn files, and applying a skin as the process's
// current SkinStyle together with the skin data's switches.
#include "toolkit/SkinData.h"

#include <windows.h>

#include <utility>

#include "toolkit/ResourceStrData.h"
#include "util/Handles.h"
#include "util/PathText.h"

namespace qv {

namespace {

// The skin data whose skin is the current style; its switches follow into the style.
TspSkinData* activeSkinData = nullptr;

// The bytes of a .skn file; a file larger than any skin can be is refused unread.
std::string ReadSkinFile(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw ESkinFormatError("cannot open the skin file " + path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size))
    throw ESkinFormatError("cannot read the skin file " + path);
  if (size.QuadPart > static_cast<LONGLONG>(kMaxSkinFileSize)) {
    throw ESkinFormatError("the skin file is too large: " + path);
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    throw ESkinFormatError("cannot read the skin file " + path);
  }
  bytes.resize(read);
  return bytes;
}

}  // namespace

// ---- TspCompressedStoredSkin ---------------------------------------------------------------

QV_PUBLISHED(TspCompressedStoredSkin) {
  using P = Publish<TspCompressedStoredSkin>;
  return {
      P::String("CompressedFileName", "string", &TspCompressedStoredSkin::CompressedFileName,
                &TspCompressedStoredSkin::SetCompressedFileName),
  };
}

TspCompressedStoredSkin::TspCompressedStoredSkin(ComponentOwner owner) : TComponent(owner) {}

void TspCompressedStoredSkin::SetCompressedData(std::string bytes) {
  if (bytes.empty()) {
    data_.clear();
    skin_ = SkinDescription{};
    return;
  }
  SkinDescription skin = DecodeSkinFile(bytes);  // throws before anything changes
  data_ = std::move(bytes);
  skin_ = std::move(skin);
}

void TspCompressedStoredSkin::LoadFromCompressedFile(const std::string& path) {
  std::string bytes = ReadSkinFile(path);
  if (bytes.empty()) throw ESkinFormatError("the skin file is empty: " + path);
  SetCompressedData(std::move(bytes));
  compressedFileName_ = ExtractFileName(path);
}

void TspCompressedStoredSkin::LoadBuiltInSkin() {
  SetCompressedData(std::string(BuiltInSkin()));
  compressedFileName_ = kBuiltInSkinFileName;
}

// ---- TspSkinData ---------------------------------------------------------------------------

QV_PUBLISHED(TspSkinData) {
  using P = Publish<TspSkinData>;
  return {
      P::Object<TspCompressedStoredSkin>("CompressedStoredSkin", &TspSkinData::CompressedStoredSkin,
                                         &TspSkinData::SetCompressedStoredSkin),
      P::Boolean("SkinnableForm", &TspSkinData::SkinnableForm, &TspSkinData::SetSkinnableForm),
      P::Boolean("ShowButtonGlowFrames", &TspSkinData::ShowButtonGlowFrames,
                 &TspSkinData::SetShowButtonGlowFrames),
      P::Boolean("ShowCaptionButtonGlowFrames", &TspSkinData::ShowCaptionButtonGlowFrames,
                 &TspSkinData::SetShowCaptionButtonGlowFrames),
      P::Object<TspResourceStrData>("ResourceStrData", &TspSkinData::ResourceStrData,
                                    &TspSkinData::SetResourceStrData),
  };
}

TspSkinData::TspSkinData(ComponentOwner owner) : TComponent(owner) {}

TspSkinData::~TspSkinData() {
  // The look stays as it is; only the link to this component's switches goes.
  if (activeSkinData == this) activeSkinData = nullptr;
}

void TspSkinData::SetCompressedStoredSkin(TspCompressedStoredSkin* skin) {
  if (storedSkin_) RemoveFreeNotification(storedSkin_);
  storedSkin_ = skin;
  if (!storedSkin_) return;
  FreeNotification(storedSkin_);
  // A description may fill the stored skin after linking it: Loaded applies it then.
  if (!InState(csLoading) && !storedSkin_->Empty()) Apply(storedSkin_->Skin());
}

bool TspSkinData::LoadFromCompressedFile(const std::string& path) {
  try {
    std::string bytes = ReadSkinFile(path);
    Apply(DecodeSkinFile(bytes));
    lastError_.clear();
    return true;
  } catch (const ESkinFormatError& e) {
    lastError_ = e.what();
    return false;
  }
}

void TspSkinData::SetSkinnableForm(bool skinnable) {
  if (skinnable == skinnableForm_) return;
  skinnableForm_ = skinnable;
  SwitchesChanged();
}

void TspSkinData::SetShowButtonGlowFrames(bool show) {
  if (show == buttonGlow_) return;
  buttonGlow_ = show;
  SwitchesChanged();
}

void TspSkinData::SetResourceStrData(TspResourceStrData* data) {
  if (resourceStrData_) RemoveFreeNotification(resourceStrData_);
  resourceStrData_ = data;
  if (resourceStrData_) FreeNotification(resourceStrData_);
}

void TspSkinData::Loaded() {
  inherited::Loaded();
  if (storedSkin_ && !storedSkin_->Empty()) Apply(storedSkin_->Skin());
}

void TspSkinData::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == storedSkin_) storedSkin_ = nullptr;
  if (component == resourceStrData_) resourceStrData_ = nullptr;
}

void TspSkinData::Apply(const SkinDescription& skin) {
  SkinStyle style = skin.style;
  style.skinnableForm = skinnableForm_;
  style.buttonGlow = buttonGlow_;
  skinName_ = skin.name;
  activeSkinData = this;
  SetCurrentSkinStyle(style);
}

void TspSkinData::SwitchesChanged() {
  // Only the skin data whose skin is showing changes the look; others just keep the switch.
  if (activeSkinData != this) return;
  SkinStyle style = CurrentSkinStyle();
  style.skinnableForm = skinnableForm_;
  style.buttonGlow = buttonGlow_;
  SetCurrentSkinStyle(style);
}

}  // namespace qv
