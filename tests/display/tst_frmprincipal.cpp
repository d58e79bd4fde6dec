#include "support/FakePlatform.h"
#include "support/TestMain.h"

#include "display/ui/FrmPrincipal.h"
#include "display/ui/TextFit.h"
#include "support/ManualClock.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontMetrics>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTimer>
#include <memory>

namespace {

const QStringList kOrdem = {QStringLiteral("PnlSenhaChamadas"),
                            QStringLiteral("Panel4"),
                            QStringLiteral("LblUltSenha3"),
                            QStringLiteral("lblpPreferencial3"),
                            QStringLiteral("LblUltMesa3"),
                            QStringLiteral("Panel5"),
                            QStringLiteral("Label3"),
                            QStringLiteral("LblUltSenha1"),
                            QStringLiteral("lblpPreferencial1"),
                            QStringLiteral("LblUltMesa1"),
                            QStringLiteral("Panel6"),
                            QStringLiteral("LblUltSenha2"),
                            QStringLiteral("lblpPreferencial2"),
                            QStringLiteral("LblUltMesa2"),
                            QStringLiteral("PnlNomeCartorio"),
                            QStringLiteral("Label2"),
                            QStringLiteral("Panel7"),
                            QStringLiteral("PnlSenha"),
                            QStringLiteral("Panel8"),
                            QStringLiteral("Label1"),
                            QStringLiteral("PnlNumeroSenha"),
                            QStringLiteral("PnlPreferencial"),
                            QStringLiteral("PnlMesa"),
                            QStringLiteral("Panel3"),
                            QStringLiteral("LblLocal"),
                            QStringLiteral("PnlNumeroMesa"),
                            QStringLiteral("PnlHorario")};

// Delivers a resize the way the window system would, also while hidden.
void redimensiona(TFrmPrincipal& w, int width, int height)
{
    const QSize antes = w.size();
    w.resize(width, height);
    QResizeEvent evento(QSize(width, height), antes);
    QCoreApplication::sendEvent(&w, &evento);
}

} // namespace

class TstFrmPrincipal : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<TFrmPrincipal> m_w;

private Q_SLOTS:
    void init()
    {
        m_platform = std::make_unique<FakePlatform>();
        m_w = std::make_unique<TFrmPrincipal>(nullptr, TFrmPrincipal::Start::WithoutDatabases);
    }
    void cleanup()
    {
        m_w.reset();
        m_platform.reset();
    }

    void creationState()
    {
        TFrmPrincipal& w = *m_w;
        QCOMPARE(w.objectName(), QStringLiteral("FrmPrincipal"));
        QCOMPARE(w.frameGeometry().size(), QSize(800, 600));
        QCOMPARE(w.LarguraAnterior, 800);
        QCOMPARE(w.AlturaAnterior, 600);
        QVERIFY(!w.RedimensionarAtivo);
        QVERIFY(w.windowTitle().isEmpty());
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.font().pixelSize(), 11);
        QCOMPARE(w.tamanhoFonte(), 8);
        QCOMPARE(w.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 1000);
        QVERIFY(w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        QStringList ordem;
        for (TControl* c : w.componentes())
            ordem << c->objectName();
        QCOMPARE(ordem, kOrdem);
    }

    // Every component's name, parent, alignment and place (the size too,
    // but for labels that size themselves to their text and font), and the
    // window font, compared with the dump kept in tests/display: at the
    // design size, and scaled to 1280 x 1024 from it.
    void layoutMatchesTheDump_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("dump");
        QTest::newRow("as created, 800 x 600") << QSize(800, 600) << QStringLiteral("layout-800x600.txt");
        QTest::newRow("design client area 784 x 562") << QSize(784, 562) << QStringLiteral("layout-784x562.txt");
        QTest::newRow("scaled to 1280 x 1024") << QSize(1280, 1024) << QStringLiteral("layout-1280x1024.txt");
    }
    void layoutMatchesTheDump()
    {
        QFETCH(QSize, size);
        QFETCH(QString, dump);
        TFrmPrincipal& w = *m_w;
        if (size == QSize(784, 562)) {
            // The size the layout was designed at: unscaled, the panels sit
            // exactly where designed.
            w.resize(size);
            TControl::realignTree(&w);
        } else if (size != QSize(800, 600)) {
            w.RedimensionarAtivo = true;
            redimensiona(w, size.width(), size.height());
        }
        QString actual = QStringLiteral("window %1x%2 font %3pt\n")
                             .arg(w.frameGeometry().width())
                             .arg(w.frameGeometry().height())
                             .arg(w.tamanhoFonte());
        for (TControl* c : w.componentes()) {
            const auto* label = qobject_cast<TLabel*>(c);
            const QRect g = c->geometry();
            const QString place = label && label->autoSize()
                ? QStringLiteral("%1,%2").arg(g.left()).arg(g.top())
                : QStringLiteral("%1,%2 %3x%4").arg(g.left()).arg(g.top()).arg(g.width()).arg(g.height());
            actual += QStringLiteral("%1 in %2 align %3 at %4\n")
                          .arg(c->objectName(), c->parentWidget()->objectName())
                          .arg(int(c->align()))
                          .arg(place);
        }
        const QString path = QStringLiteral(MONITOR_SOURCE_DIR "/tests/display/") + dump;
        if (qEnvironmentVariableIsSet("MONITOR_WRITE_DUMPS")) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(actual.toUtf8());
        }
        QFile expected(path);
        QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(path));
        const QString wanted = QString::fromUtf8(expected.readAll());
        if (actual != wanted) {
            QTemporaryFile got;
            QVERIFY(got.open());
            got.write(actual.toUtf8());
            got.flush();
            QProcess diff;
            diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), path, got.fileName()});
            diff.waitForFinished();
            QFAIL(
                qPrintable(QStringLiteral("the layout differs from %1 (MONITOR_WRITE_DUMPS=1 rewrites it):\n").arg(dump)
                           + QString::fromUtf8(diff.readAllStandardOutput())));
        }
    }

    void designLooks()
    {
        TFrmPrincipal& w = *m_w;
        QCOMPARE(w.componente(QStringLiteral("PnlSenhaChamadas"))->color(), QColor(0xB9, 0xDC, 0xFF));
        QCOMPARE(w.componente(QStringLiteral("Panel4"))->color(), QColor(0xB9, 0xDC, 0xFF));
        QCOMPARE(w.componente(QStringLiteral("Panel6"))->color(), QColor(0x8A, 0xC5, 0xFF));
        QCOMPARE(w.componente(QStringLiteral("PnlNumeroSenha"))->color(), QColor(0x3E, 0x3E, 0xFF));
        QCOMPARE(w.componente(QStringLiteral("PnlNumeroMesa"))->color(), QColor(0x0A, 0xB1, 0xA0));
        QCOMPARE(w.componente(QStringLiteral("PnlPreferencial"))->fontColor(), QColor(0xFF, 0xFF, 0x00));
        QCOMPARE(w.componente(QStringLiteral("PnlNumeroSenha"))->font().pixelSize(), 200);
        QVERIFY(w.componente(QStringLiteral("PnlNumeroSenha"))->font().bold());
        QCOMPARE(w.componente(QStringLiteral("PnlNumeroSenha"))->font().family(), QStringLiteral("Arial"));
        QCOMPARE(w.componente(QStringLiteral("Label3"))->caption(), QStringLiteral("  Últimas chamadas"));
        QCOMPARE(w.componente(QStringLiteral("Label1"))->caption(), QStringLiteral("   Senha"));
        QCOMPARE(w.componente(QStringLiteral("LblLocal"))->caption(), QStringLiteral(" Mesa"));
        QCOMPARE(w.componente(QStringLiteral("PnlNomeCartorio"))->caption(), QStringLiteral("Nome do Cartório"));
        QCOMPARE(w.componente(QStringLiteral("Label2"))->font().pixelSize(), 27);
        QVERIFY(w.componente<TLabel>(QStringLiteral("LblUltSenha1"))->transparent());
        QVERIFY(!w.componente<TLabel>(QStringLiteral("LblLocal"))->transparent());
        QCOMPARE(w.componente(QStringLiteral("PnlPreferencial"))->tag(), 0);
    }

    void clearsOnlyTheCallTexts()
    {
        TFrmPrincipal& w = *m_w;
        for (const QString& name : kOrdem)
            w.componente(name)->setCaption(QStringLiteral("x"));
        w.LimpaTodosLabelSenha();
        const QStringList limpos = {QStringLiteral("PnlNumeroSenha"),    QStringLiteral("PnlNumeroMesa"),
                                    QStringLiteral("LblUltSenha1"),      QStringLiteral("LblUltMesa1"),
                                    QStringLiteral("LblUltSenha2"),      QStringLiteral("LblUltMesa2"),
                                    QStringLiteral("LblUltSenha3"),      QStringLiteral("LblUltMesa3"),
                                    QStringLiteral("lblpPreferencial1"), QStringLiteral("lblpPreferencial2"),
                                    QStringLiteral("lblpPreferencial3")};
        for (const QString& name : kOrdem)
            QCOMPARE(w.captionOf(name).isEmpty(), limpos.contains(name));
    }

    void firstResizeOnlyRecords()
    {
        TFrmPrincipal& w = *m_w;
        const QRect antes = w.componente(QStringLiteral("LblUltMesa1"))->geometry();
        redimensiona(w, 1000, 700);
        QCOMPARE(w.componente(QStringLiteral("LblUltMesa1"))->geometry(), antes);
        QVERIFY(w.RedimensionarAtivo);
        QCOMPARE(w.LarguraAnterior, 1000);
        QCOMPARE(w.AlturaAnterior, 700);
    }

    void doublingDoublesEveryControl()
    {
        TFrmPrincipal& w = *m_w;
        w.RedimensionarAtivo = true;
        QHash<QString, QRect> antes;
        for (TControl* c : w.componentes())
            antes[c->objectName()] = c->geometry();
        redimensiona(w, 1600, 1200);
        for (TControl* c : w.componentes()) {
            const QRect a = antes[c->objectName()];
            const QRect d = c->geometry();
            switch (c->align()) {
            case TAlign::alNone:
                QCOMPARE(d, QRect(a.x() * 2, a.y() * 2, a.width() * 2, a.height() * 2));
                break;
            case TAlign::alTop:
            case TAlign::alBottom:
                QCOMPARE(d.height(), a.height() * 2);
                break;
            case TAlign::alLeft:
            case TAlign::alRight:
                QCOMPARE(d.width(), a.width() * 2);
                break;
            case TAlign::alClient:
                break;
            }
        }
        // Aligned panels still fill their parents.
        QCOMPARE(w.componente(QStringLiteral("PnlSenhaChamadas"))->geometry(), QRect(0, 1200 - 416, 1600, 416));
        QCOMPARE(w.componente(QStringLiteral("PnlNomeCartorio"))->geometry(), QRect(0, 0, 1600, 82));
        QCOMPARE(w.componente(QStringLiteral("Panel7"))->geometry(), QRect(0, 82, 1600, 1200 - 416 - 82));
        QCOMPARE(w.componente(QStringLiteral("PnlMesa"))->geometry().right(),
                 w.componente(QStringLiteral("Panel7"))->contentsRect().right());
        QCOMPARE(w.tamanhoFonte(), 16);
        QCOMPARE(w.LarguraAnterior, 1600);
        QCOMPARE(w.AlturaAnterior, 1200);

        // A later resize scales relative to the previous size.
        redimensiona(w, 800, 600);
        QCOMPARE(w.componente(QStringLiteral("LblUltMesa3"))->geometry(), QRect(520, -1, 257, 55));
        QCOMPARE(w.tamanhoFonte(), 8);
    }

    void oddSizeRoundsHalfToEven_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("LblUltMesa3") << QStringLiteral("LblUltMesa3") << QRect(780, -2, 386, 82);
        QTest::newRow("LblUltMesa2") << QStringLiteral("LblUltMesa2") << QRect(780, -2, 386, 74);
        QTest::newRow("LblUltMesa1") << QStringLiteral("LblUltMesa1") << QRect(780, 76, 386, 82);
        QTest::newRow("lblpPreferencial3") << QStringLiteral("lblpPreferencial3") << QRect(272, 6, -1, -1);
        QTest::newRow("lblpPreferencial2") << QStringLiteral("lblpPreferencial2") << QRect(270, 4, -1, -1);
        QTest::newRow("LblUltSenha3") << QStringLiteral("LblUltSenha3") << QRect(42, 2, -1, -1);
    }
    void oddSizeRoundsHalfToEven()
    {
        QFETCH(QString, name);
        QFETCH(QRect, expected);
        TFrmPrincipal& w = *m_w;
        w.RedimensionarAtivo = true;
        redimensiona(w, 1200, 900);
        const QRect g = w.componente(name)->geometry();
        QCOMPARE(g.topLeft(), expected.topLeft());
        if (expected.width() >= 0)
            QCOMPARE(g.size(), expected.size());
    }

    // On screen: showing records the size, the first activation maximises,
    // and a resize by the window system scales the layout.
    void shownWindowScalesOnResize()
    {
        TFrmPrincipal& w = *m_w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.RedimensionarAtivo);
        QTRY_VERIFY(!w.session().PrimeiraAtivacao);
        const QSize antes = w.frameGeometry().size();
        const QRect mesa = w.componente(QStringLiteral("LblUltMesa1"))->geometry();
        w.showNormal();
        const QSize moldura = w.frameGeometry().size() - w.size();
        w.resize(antes * 2 - moldura);
        QTRY_COMPARE(w.LarguraAnterior, antes.width() * 2);
        QCOMPARE(w.componente(QStringLiteral("LblUltMesa1"))->geometry(),
                 QRect(mesa.x() * 2, mesa.y() * 2, mesa.width() * 2, mesa.height() * 2));
    }

    void firstActivationMaximisesOnce()
    {
        TFrmPrincipal& w = *m_w;
        w.FormActivate();
        QVERIFY(w.RedimensionarAtivo);
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QVERIFY(!w.session().PrimeiraAtivacao);
        w.setWindowState(Qt::WindowNoState);
        w.FormActivate();
        QVERIFY(!(w.windowState() & Qt::WindowMaximized));
    }

    void clockUsesRegionalFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("serverAheadSecs"); // the PC's clock could not be set
        const QDateTime manha(QDate(2024, 3, 5), QTime(10, 4, 30));
        const QDateTime noite(QDate(2024, 3, 5), QTime(22, 5, 7));
        QTest::newRow("24h") << QStringLiteral("HH:mm:ss") << manha << QStringLiteral("10:04:30") << 0;
        QTest::newRow("24h evening") << QStringLiteral("HH:mm:ss") << noite << QStringLiteral("22:05:07") << 0;
        QTest::newRow("12h") << QStringLiteral("h:mm:ss AP") << noite << QStringLiteral("10:05:07 PM") << 0;
        QTest::newRow("dots") << QStringLiteral("hh.mm.ss") << manha << QStringLiteral("10.04.30") << 0;
        QTest::newRow("the server's time") << QStringLiteral("HH:mm:ss") << noite << QStringLiteral("23:05:00") << 3593;
    }
    void clockUsesRegionalFormat()
    {
        QFETCH(QString, format);
        QFETCH(QDateTime, now);
        QFETCH(QString, expected);
        QFETCH(int, serverAheadSecs);
        m_platform->regional.timeFormat = format;
        ManualClock clock(now);
        clock.setServerOffsetSecs(serverAheadSecs);
        {
            UseClock use(clock);
            m_w->Timer1Timer();
        }
        QCOMPARE(m_w->componente(QStringLiteral("PnlHorario"))->caption(), expected);
    }

    void markerBlinksWhileShown()
    {
        TFrmPrincipal& w = *m_w;
        const QColor amarelo(0xFF, 0xFF, 0x00), verde(0x00, 0xFF, 0x00);
        w.componente(QStringLiteral("PnlPreferencial"))->setFontColor(Qt::red);
        const QList<QColor> esperado = {amarelo, verde, amarelo, verde};
        for (int i = 0; i < esperado.size(); ++i) {
            w.Timer1Timer();
            QCOMPARE(w.componente(QStringLiteral("PnlPreferencial"))->fontColor(), esperado[i]);
            QCOMPARE(w.componente(QStringLiteral("PnlPreferencial"))->tag(), i % 2 == 0 ? 1 : 0);
        }
        w.Timer1Timer();
        w.componente(QStringLiteral("PnlPreferencial"))->setCaption(QString());
        w.Timer1Timer();
        w.Timer1Timer();
        QCOMPARE(w.componente(QStringLiteral("PnlPreferencial"))->fontColor(), amarelo);
        QCOMPARE(w.componente(QStringLiteral("PnlPreferencial"))->tag(), 1);
    }

    void onlyTheMarkOpensTheMenu()
    {
        TFrmPrincipal& w = *m_w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.findChild<QMenu*>(QStringLiteral("PopupMenuConfig"))->actions().size(), 1);
        QCOMPARE(w.findChild<QAction*>(QStringLiteral("ipodeSenhasChamadas1"))->text(),
                 QStringLiteral("Configurações"));
        for (TControl* c : w.componentes()) {
            QContextMenuEvent evento(QContextMenuEvent::Mouse, QPoint(2, 2), c->mapToGlobal(QPoint(2, 2)));
            QCoreApplication::sendEvent(c, &evento);
            QCOMPARE(w.findChild<QMenu*>(QStringLiteral("PopupMenuConfig"))->isVisible(),
                     c == w.componente(QStringLiteral("Label2")));
            w.findChild<QMenu*>(QStringLiteral("PopupMenuConfig"))->hide();
        }
        QSignalSpy pedidos(&w, &TFrmPrincipal::configuracaoSolicitada);
        w.findChild<QAction*>(QStringLiteral("ipodeSenhasChamadas1"))->trigger();
        QCOMPARE(pedidos.size(), 1);
    }

    // Call texts too long for their design font are drawn smaller, whole.
    void longTextsShowWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("window");
        const QSize design(800, 600), small(640, 480);
        for (const QSize& size : {design, small}) {
            const QByteArray s = QByteArray::number(size.width());
            QTest::newRow("PnlNumeroSenha " + s)
                << QStringLiteral("PnlNumeroSenha") << QStringLiteral("PREF-1234") << size;
            QTest::newRow("PnlNumeroMesa " + s) << QStringLiteral("PnlNumeroMesa") << QStringLiteral("123") << size;
            QTest::newRow("PnlPreferencial " + s)
                << QStringLiteral("PnlPreferencial") << QStringLiteral("PREFERENCIAL") << size;
            QTest::newRow("LblUltSenha2 " + s)
                << QStringLiteral("LblUltSenha2") << QStringLiteral("PREFERENCIAL-99999") << size;
            QTest::newRow("lblpPreferencial1 " + s) << QStringLiteral("lblpPreferencial1")
                                                    << QStringLiteral("Preferencial Preferencial Preferencial") << size;
            QTest::newRow("LblUltMesa3 " + s)
                << QStringLiteral("LblUltMesa3") << QStringLiteral("Guichê 12345") << size;
            QTest::newRow("LblLocal " + s)
                << QStringLiteral("LblLocal") << QStringLiteral("Guichê Preferencial") << size;
        }
    }
    void longTextsShowWhole()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QSize, window);
        TFrmPrincipal& w = *m_w;
        w.RedimensionarAtivo = true;
        redimensiona(w, window.width(), window.height());
        TControl* c = w.componente(name);
        const QSize fixo = c->size();
        auto* label = qobject_cast<TLabel*>(c);
        c->setCaption(text);
        if (label && !label->autoSize())
            QCOMPARE(c->size(), fixo);
        const QFont font = c->displayFont();
        QVERIFY(font.pixelSize() < c->font().pixelSize());
        const QFontMetrics fm(font);
        const QRect contents = c->contentsRect();
        QVERIFY(fm.horizontalAdvance(text) <= contents.width());
        QVERIFY(c->geometry().right() <= c->parentWidget()->contentsRect().right());
        // Every glyph lies inside what the parent shows of the control.
        const QRect shown = c->rect().intersected(c->parentWidget()->contentsRect().translated(-c->pos()));
        const bool centred = qobject_cast<TPanel*>(c) != nullptr;
        const QRect ink = fm.tightBoundingRect(text).translated(textfit::origin(font, text, contents, shown, centred));
        QVERIFY(shown.contains(ink));
    }

    // A ten-digit ticket in a history row stops short of its marker, smaller, whole.
    void longHistoryTicketLeavesTheMarkerFree_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QSize>("window");
        for (int row : {1, 2, 3})
            for (const QSize& size : {QSize(800, 600), QSize(1366, 768)})
                QTest::addRow("row %d at %d", row, size.width()) << row << size;
    }
    void longHistoryTicketLeavesTheMarkerFree()
    {
        QFETCH(int, row);
        QFETCH(QSize, window);
        TFrmPrincipal& w = *m_w;
        w.RedimensionarAtivo = true;
        redimensiona(w, window.width(), window.height());
        auto* senha = qobject_cast<TLabel*>(w.componente(QStringLiteral("LblUltSenha%1").arg(row)));
        TControl* marca = w.componente(QStringLiteral("lblpPreferencial%1").arg(row));
        const QString texto = QStringLiteral("P-1234567890");
        senha->setCaption(texto);
        marca->setCaption(QStringLiteral("PREFERENCIAL"));
        QVERIFY(senha->geometry().right() < marca->x());
        const QFont font = senha->displayFont();
        QVERIFY(font.pixelSize() < senha->font().pixelSize());
        QVERIFY(QFontMetrics(font).horizontalAdvance(texto) <= senha->width());
    }

    void shortTextsKeepTheDesignFont()
    {
        TFrmPrincipal& w = *m_w;
        w.componente(QStringLiteral("PnlNumeroMesa"))->setCaption(QStringLiteral("7"));
        w.componente(QStringLiteral("LblUltMesa1"))->setCaption(QStringLiteral("7"));
        w.componente(QStringLiteral("LblUltSenha1"))->setCaption(QStringLiteral("F-7"));
        QCOMPARE(w.componente(QStringLiteral("PnlNumeroMesa"))->displayFont().pixelSize(), 200);
        QCOMPARE(w.componente(QStringLiteral("LblUltMesa1"))->displayFont().pixelSize(), 53);
        QCOMPARE(w.componente(QStringLiteral("LblUltSenha1"))->width(),
                 QFontMetrics(w.componente(QStringLiteral("LblUltSenha1"))->font())
                     .horizontalAdvance(QStringLiteral("F-7")));
    }
};

MONITOR_TEST_MAIN(TstFrmPrincipal)
#include "tst_frmprincipal.moc"
