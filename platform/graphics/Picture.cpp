#include "platform/graphics/Picture.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"

namespace lumora {

TPicture::TPicture() = default;

TPicture::TPicture(const TPicture &other)
    : graphic_(other.graphic_ ? other.graphic_->Clone() : nullptr) {}

TPicture &TPicture::operator=(const TPicture &other) {
  if (this != &other) graphic_ = other.graphic_ ? other.graphic_->Clone() : nullptr;
  return *this;
}

TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
}

TBitmap &TPicture::Bitmap() {
  if (auto *bitmap = dynamic_cast<TBitmap *>(graphic_.get())) return *bitmap;
  auto bitmap = std::make_unique<TBitmap>();
  TBitmap &result = *bitmap;
  graphic_ = std::move(bitmap);
  return result;
}

TIcon &TPicture::Icon() {
  if (auto *icon = dynamic_cast<TIcon *>(graphic_.get())) return *icon;
  auto icon = std::make_unique<TIcon>();
  TIcon &result = *icon;
  graphic_ = std::move(icon);
  return result;
}

void TPicture::Assign(const TGraphic &graphic) {
  if (&graphic == graphic_.get()) return;
  graphic_ = graphic.Clone();
}

int TPicture::Width() const {
  return graphic_ ? graphic_->Width() : 0;
}

int TPicture::Height() const {
  return graphic_ ? graphic_->Height() : 0;
}

} // namespace lumora
