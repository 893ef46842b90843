#pragma once
// The filters of file dialogs that depend on the system or on what Qt can read, in the
// "Description|*.a;*.b" form of DialogService.
#include <QString>

namespace qv {

// Every image format the picture import reads, first and together, then the formats the
// program always offered one by one.
QString pictureOpenFilter();
// What Export writes a picture as: a Windows bitmap, or PNG.
QString pictureSaveFilter();
// A program to run: a .exe on Windows; elsewhere programs have no extension, so any file.
QString programFilter();
// The default suffix that goes with programFilter(): "exe" on Windows, none elsewhere.
QString programSuffix();

}  // namespace qv
