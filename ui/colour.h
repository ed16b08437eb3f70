// Colours as project files store them (00BBGGRR, or a system colour with the
// top bit set) and as Qt draws them.
#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>

#include <cstdint>

namespace omb {

inline QColor toQColor(std::int32_t stored) {
  const auto v = static_cast<std::uint32_t>(stored);
  if (v & 0x80000000u) {
    // System colours: 5 is the window background, 8 the window text; the
    // others are drawn as the background they most often stand for.
    const QPalette p = QApplication::palette();
    return (v & 0xFFu) == 8 ? p.color(QPalette::Text) : p.color(QPalette::Base);
  }
  return QColor(static_cast<int>(v & 0xFFu), static_cast<int>((v >> 8) & 0xFFu), static_cast<int>((v >> 16) & 0xFFu));
}

inline std::int32_t fromQColor(const QColor& c) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
                                   (static_cast<std::uint32_t>(c.blue()) << 16));
}

}  // namespace omb
