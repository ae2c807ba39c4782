#pragma once
// Entry points of the asset generator. Each writes its files below `assets_dir`
// (the repository's assets/ folder) and reads its sources from `sources_dir`
// (assets/src). Output is deterministic: same sources, same bytes.
#include <QString>

namespace assetgen {

// pictures/sprite.png and pictures/mask.png (720 x 606)
void generate_sprites(const QString &assets_dir, const QString &sources_dir);
// pictures/scene0.png .. pictures/scene9.png (640 x 480, 8-bit palettized)
void generate_scenes(const QString &assets_dir, const QString &sources_dir);
// pictures/preview.png, about.png, menu.png and icons/zentara-N.png
void generate_pictures(const QString &assets_dir, const QString &sources_dir);
// ../docs/scene-crops.png: each scene as a 4:3, 16:9 and 21:9 screen shows it
void generate_scene_crops(const QString &assets_dir, const QString &sources_dir);
// sounds/title.wav, sounds/zara1.wav .. zara9.wav, sounds/zentara.mid
void generate_sounds(const QString &assets_dir, const QString &sources_dir);

} // namespace assetgen
