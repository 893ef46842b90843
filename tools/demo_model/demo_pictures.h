#pragma once
// The pictures of the demo model: every layout the phone knows, drawn so that a person can tell
// them apart (a shape of its own and a caption naming the format).
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace qv::demo {

struct DemoPicture {
    uint8_t format = 0;
    uint8_t variant = 0;
    QImage image;  // RGB32, the picture's width and height
};

// Caption of a layout as drawn on its pictures ("16 BIT", "MONO COLS", "RLE", ...).
QString layoutCaption(int format, int variant);

// The everyday set: wallpapers, icons and small pictures in every layout. The last one is the
// table's extra entry that the picture list never shows.
std::vector<DemoPicture> normalPictures();

// `count` pictures for the large tables: the everyday set (without its extra entry) followed by
// small numbered pictures cycling through the layouts.
std::vector<DemoPicture> fullTablePictures(int count);

}  // namespace qv::demo
