#include "support/TestMain.h"

#include "display/ui/Label.h"
#include "display/ui/Panel.h"
#include "display/ui/Rounding.h"
#include "display/ui/TextFit.h"

#include <QFontMetrics>
#include <QScreen>

class TstLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundsHalfToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.4999") << 2.4999 << 2;
        QTest::newRow("2.5001") << 2.5001 << 3;
        QTest::newRow("-2.6") << -2.6 << -3;
        QTest::newRow("whole") << 7.0 << 7;
    }
    void roundsHalfToEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(roundHalfEven(value), expected);
    }

    void scalesHalfToEven_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::addColumn<int>("expected");
        QTest::newRow("257*1.5 up to even") << 257 << 1200 << 800 << 386;
        QTest::newRow("55*1.5 down to even") << 55 << 1200 << 800 << 82;
        QTest::newRow("-1*1.5") << -1 << 1200 << 800 << -2;
        QTest::newRow("-3*1.5") << -3 << 1200 << 800 << -4;
        QTest::newRow("-1*0.5") << -1 << 1 << 2 << 0;
        QTest::newRow("below half") << 9 << 1601 << 800 << 18;
        QTest::newRow("above half") << 7 << 1031 << 800 << 9;
        QTest::newRow("no overflow") << 2000000 << 2000000 << 1000000 << 4000000;
    }
    void scalesHalfToEven()
    {
        QFETCH(int, value);
        QFETCH(int, num);
        QFETCH(int, den);
        QFETCH(int, expected);
        QCOMPARE(scaleHalfEven(value, num, den), expected);
    }

    // Top, bottom, left and right take their strips in that order whatever
    // the creation order; client takes what remains.
    void alignsChildrenLikeTheDesign()
    {
        TPanel parent;
        parent.resize(300, 200);
        auto* client = new TPanel(&parent);
        client->setAlign(TAlign::alClient);
        auto* left = new TPanel(&parent);
        left->setGeometry(50, 50, 40, 10);
        left->setAlign(TAlign::alLeft);
        auto* bottom = new TPanel(&parent);
        bottom->setGeometry(0, 0, 10, 30);
        bottom->setAlign(TAlign::alBottom);
        auto* top = new TPanel(&parent);
        top->setGeometry(0, 0, 10, 20);
        top->setAlign(TAlign::alTop);
        auto* right = new TLabel(&parent);
        right->setAutoSize(false);
        right->setGeometry(0, 0, 9, 5);
        right->setAlign(TAlign::alRight);
        auto* loose = new TLabel(&parent);
        loose->setGeometry(7, 8, 20, 20);
        TControl::realignTree(&parent);

        QCOMPARE(top->geometry(), QRect(1, 1, 298, 20));
        QCOMPARE(bottom->geometry(), QRect(1, 169, 298, 30));
        QCOMPARE(left->geometry(), QRect(1, 21, 40, 148));
        QCOMPARE(right->geometry(), QRect(290, 21, 9, 148));
        QCOMPARE(client->geometry(), QRect(41, 21, 249, 148));
        QCOMPARE(loose->pos(), QPoint(7, 8));

        parent.resize(400, 100);
        TControl::realignTree(&parent);
        QCOMPARE(top->geometry(), QRect(1, 1, 398, 20));
        QCOMPARE(bottom->geometry(), QRect(1, 69, 398, 30));
        QCOMPARE(client->geometry(), QRect(41, 21, 349, 48));
    }

    void fitKeepsDesignFontWhenTextFits()
    {
        QFont design(QStringLiteral("Arial"));
        design.setPixelSize(40);
        const QRect box(0, 0, 400, 60);
        QCOMPARE(textfit::fit(design, QStringLiteral("F-1"), box, box, true).pixelSize(), 40);
        QCOMPARE(textfit::fit(design, QString(), QRect(0, 0, 1, 1), QRect(0, 0, 1, 1), true).pixelSize(), 40);
    }

    void fitShrinksUntilWholeTextShows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<bool>("centred");
        QTest::newRow("too wide, centred") << QStringLiteral("PREFERENCIAL 12345") << QRect(1, 1, 200, 80) << true;
        QTest::newRow("too tall, centred") << QStringLiteral("F-9") << QRect(1, 1, 300, 20) << true;
        QTest::newRow("too wide, top-left") << QStringLiteral("Guichê de atendimento") << QRect(0, 0, 120, 60) << false;
    }
    void fitShrinksUntilWholeTextShows()
    {
        QFETCH(QString, text);
        QFETCH(QRect, box);
        QFETCH(bool, centred);
        QFont design(QStringLiteral("Arial"));
        design.setPixelSize(60);
        design.setBold(true);
        const QFont font = textfit::fit(design, text, box, box, centred);
        QVERIFY(font.pixelSize() < 60);
        QVERIFY(font.pixelSize() > 1);
        QCOMPARE(font.family(), design.family());
        QVERIFY(font.bold());
        const QFontMetrics fm(font);
        QVERIFY(fm.horizontalAdvance(text) <= box.width());
        const QRect ink = fm.tightBoundingRect(text).translated(textfit::origin(font, text, box, box, centred));
        QVERIFY2(
            box.contains(ink),
            qPrintable(QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        // One pixel larger would no longer fit: the font is as large as it can be.
        QFont larger = font;
        larger.setPixelSize(font.pixelSize() + 1);
        QVERIFY(!textfit::fits(larger, text, box, box, centred));
    }

    // A panel that keeps its looks paints the very pixels of one that draws
    // its caption every time, through hits, evictions, colour and size changes.
    void keptLooksPaintLikeFreshOnes()
    {
        QWidget parent;
        parent.resize(700, 300);
        TPanel kept(&parent), fresh(&parent);
        kept.setKeptLooks(2);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(200);
        font.setBold(true);
        for (TPanel* panel : {&kept, &fresh}) {
            panel->setGeometry(0, 0, 514, 188);
            panel->setColor(QColor(0x3E, 0x3E, 0xFF));
            panel->setFont(font);
        }
        struct Step {
            const char* caption;
            QColor ink;
            int width;
        };
        const Step steps[] = {{"F-1", Qt::white, 514},   {"P-12", Qt::white, 514}, {"", Qt::white, 514},
                              {"F-1", Qt::white, 514},   {"P-12", Qt::white, 514}, {"F-1", Qt::yellow, 514},
                              {"F-1", Qt::green, 514},   {"F-1", Qt::yellow, 514}, {"F-1", Qt::yellow, 300},
                              {"F-999", Qt::yellow, 300}};
        for (const Step& step : steps) {
            QImage images[2];
            int i = 0;
            for (TPanel* panel : {&kept, &fresh}) {
                panel->setCaption(QString::fromUtf8(step.caption));
                panel->setFontColor(step.ink);
                panel->resize(step.width, 188);
                images[i] = QImage(panel->size(), QImage::Format_RGB32);
                images[i].fill(Qt::black);
                panel->render(&images[i++]);
            }
            QVERIFY2(images[0] == images[1], step.caption);
        }
    }

    // A caption that changes in part repaints only that part: what the window
    // then shows is what painting it whole gives.
    void partialRepaintLeavesNoStalePixels_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QSize>("size");
        const QSize clock(422, 97), call(822, 321);
        QTest::newRow("clock, last digit") << "10:04:39"
                                           << "10:04:40" << 60 << clock;
        QTest::newRow("clock, the hour") << "10:59:59"
                                         << "11:00:00" << 60 << clock;
        QTest::newRow("clock, one more digit") << "9:59:59"
                                               << "10:00:00" << 60 << clock;
        QTest::newRow("call, last digit") << "P-7"
                                          << "P-8" << 200 << call;
        QTest::newRow("call, one more digit") << "F-19"
                                              << "F-120" << 200 << call;
        QTest::newRow("desk") << "MESA 1"
                              << "MESA 2" << 200 << call;
    }
    void partialRepaintLeavesNoStalePixels()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, pixels);
        QFETCH(QSize, size);
        QWidget window;
        window.resize(size);
        TPanel panel(&window);
        panel.setGeometry(QRect(QPoint(), size));
        panel.setColor(QColor(0x0A, 0xB1, 0xA0));
        panel.setFontColor(Qt::white);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(pixels);
        font.setBold(true);
        panel.setFont(font);
        panel.setCaption(before);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
        panel.setCaption(after);
        QTest::qWait(50);
        const QImage shown =
            window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage whole = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), whole.size());
        QVERIFY(shown == whole);
    }
};

MONITOR_TEST_MAIN(TstLayout)
#include "tst_layout.moc"
