#pragma once
// Pictures of the program's own resources, read by the decoder their name's
// ending names. Qt would otherwise first ask every image plugin whether it
// reads the file, which loads them all, and their libraries, for good.

#include <QPixmap>
#include <QString>

namespace imagem {

// Null when the file cannot be read as the format its ending names.
QPixmap carrega(const QString& path);

} // namespace imagem
