// Text drawn under the platform settings the program starts with: every size
// the display uses, from the history rows to the call's big numbers, is drawn
// whole. (Qt draws nothing at all for characters over 64 pixels when it is
// told to keep their masks.)

#include "platform/ui/LinuxPlatform.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

// The bounding box of the pixels that differ from the background.
QRect inkOf(const QImage& image, QRgb background)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

} // namespace

class TstTextMasks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawnWhole_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QString>("text");
        // Qt's kept-mask limit, the history rows, the call's big numbers.
        for (int pixels : {60, 100, 160, 161, 250, 340})
            for (const char* text : {"F-999", "ÇÓ"})
                QTest::newRow(qPrintable(QStringLiteral("%1 px %2").arg(pixels).arg(QString::fromUtf8(text))))
                    << pixels << QString::fromUtf8(text);
    }

    void drawnWhole()
    {
        QFETCH(int, pixels);
        QFETCH(QString, text);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(pixels);
        font.setBold(true);
        const QFontMetrics fm(font);
        const QPoint origin(pixels / 2, pixels * 2);
        QImage image(fm.horizontalAdvance(text) + pixels, pixels * 3, QImage::Format_RGB32);
        const QRgb background = qRgb(0x3E, 0x3E, 0xFF);
        image.fill(background);
        {
            QPainter painter(&image);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(origin, text);
        }
        const QRect expected = fm.tightBoundingRect(text).translated(origin);
        const QRect ink = inkOf(image, background);
        QVERIFY2(!ink.isEmpty(), "nothing drawn");
        // Antialiasing and hinting move an edge by a pixel or two at most.
        const int slack = 3;
        QVERIFY2(qAbs(ink.left() - expected.left()) <= slack && qAbs(ink.right() - expected.right()) <= slack
                     && qAbs(ink.top() - expected.top()) <= slack && qAbs(ink.bottom() - expected.bottom()) <= slack,
                 qPrintable(QStringLiteral("ink %1,%2 %3x%4, metrics %5,%6 %7x%8")
                                .arg(ink.x())
                                .arg(ink.y())
                                .arg(ink.width())
                                .arg(ink.height())
                                .arg(expected.x())
                                .arg(expected.y())
                                .arg(expected.width())
                                .arg(expected.height())));
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::ui::prepareLinuxPlatform();
    QApplication app(argc, argv);
    TstTextMasks tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_textmasks.moc"
