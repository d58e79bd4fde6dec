#include "support/ui/Imagem.h"

#include <QFileInfo>
#include <QImageReader>

namespace imagem {

QPixmap carrega(const QString& path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace imagem
