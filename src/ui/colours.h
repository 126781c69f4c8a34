// The editor's few colours, in one place.
#pragma once

#include <Color.hpp>

namespace vorel {

inline const DGL_NAMESPACE::Color kBackground(24, 26, 30);
inline const DGL_NAMESPACE::Color kPanel(44, 48, 56);
inline const DGL_NAMESPACE::Color kGrid(70, 76, 88);
inline const DGL_NAMESPACE::Color kText(220, 224, 230);
inline const DGL_NAMESPACE::Color kDimText(140, 146, 156);
inline const DGL_NAMESPACE::Color kAccent(70, 140, 200);
inline const DGL_NAMESPACE::Color kAccentBright(110, 180, 240);
inline const DGL_NAMESPACE::Color kHeld(240, 170, 60);
inline const DGL_NAMESPACE::Color kOver(230, 50, 50);

}  // namespace vorel
