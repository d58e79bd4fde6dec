#include "support/TestMain.h"

#include "base/Errors.h"
#include "config/ui/FrmConfigMonitor.h"
#include "display/ExampleCall.h"
#include "display/QuadroChamadas.h"
#include "support/ApplicationEvents.h"
#include "support/DbFixture.h"
#include "support/FakePlatform.h"
#include "support/ProgramPaths.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QString Selecione = QStringLiteral("Selecione pelo menos uma opção.");
const QString Gravadas = QStringLiteral("Configurações gravadas com sucesso.\r\nReinicie o sistema.");

struct Failure {
    QString className;
    QString message;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QStringList lines(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QList<bool> checks(const QListWidget* list)
{
    QList<bool> states;
    for (int i = 0; i < list->count(); ++i)
        states << (list->item(i)->checkState() == Qt::Checked);
    return states;
}

// Names of the widgets the Tab key visits, in order.
QStringList tabOrder(QWidget* window)
{
    QStringList names;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            names << w->objectName();
    return names;
}

// "1:Normal:F;3:Notas:N" -> rows of ATEND_TIPO.
void insertTypes(const QString& database, const QString& rows)
{
    for (const QString& row : rows.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList f = row.split(QLatin1Char(':'));
        DbFixture::exec(
            database,
            QStringLiteral("INSERT INTO ATEND_TIPO (CODATEND_TIPO, TITULO, SIGLA, ORDEM, RECIBO) "
                           "VALUES (:COD, :TITULO, :SIGLA, :COD, 'N')"),
            {{QStringLiteral("COD"), f[0].toInt()}, {QStringLiteral("TITULO"), f[1]}, {QStringLiteral("SIGLA"), f[2]}});
    }
}

} // namespace

class TstFrmConfigMonitor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        ProgramPaths::setExecutablePathForTesting(m_dir.filePath(QStringLiteral("MonitorSenha")));
        m_ini = m_dir.filePath(QStringLiteral("CARTORIO.ini"));
    }
    void cleanupTestCase() { ProgramPaths::setExecutablePathForTesting(QString()); }

    void init()
    {
        QFile::setPermissions(m_ini, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(m_ini);
        m_platform = std::make_unique<FakePlatform>();
        m_failures.clear();
        ApplicationEvents::setExceptionHandler([this](const Exception& e) {
            m_failures.append({e.className(), e.message()});
        });
        m_dialog = std::make_unique<TFrmConfigMonitor>();
        m_dialog->setExamplePlayer([this](const QString& sigla, bool voice) {
            playExampleCall(sigla, voice, &m_platform->speech, m_platform->sound);
        });
    }
    void cleanup()
    {
        m_dialog.reset();
        m_conexao.reset();
        m_db.reset();
        ApplicationEvents::setExceptionHandler({});
        m_platform.reset();
    }

    void designGeometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("ChkBxSom") << "ChkBxSom" << QRect(16, 24, 257, 17)
                                  << "Executar SOM em todas as chamadas de senhas";
        QTest::newRow("GroupBox1") << "GroupBox1" << QRect(16, 56, 377, 185)
                                   << "Tipos de Senhas chamadas neste terminal";
        QTest::newRow("list") << "ChkLstBxTipoAtendimento" << QRect(2, 15, 373, 168) << "";
        QTest::newRow("BtBtnGravar") << "BtBtnGravar" << QRect(280, 256, 75, 25) << "Gravar";
        QTest::newRow("BtBtnCancelar") << "BtBtnCancelar" << QRect(48, 256, 75, 25) << "Cancelar";
        QTest::newRow("ChkBxVoz") << "ChkBxVoz" << QRect(16, 4, 257, 17) << "Anunciar a senha por voz";
        QTest::newRow("BtBtnTestarSom") << "BtBtnTestarSom" << QRect(136, 256, 132, 25) << "Testar som e voz";
    }
    void designGeometry()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        auto* widget = m_dialog->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), caption);
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            QCOMPARE(group->title(), caption);
    }

    void windowLooksAsDesigned()
    {
        QVERIFY(m_dialog->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(m_dialog->size(), QSize(413, 293));
        QCOMPARE(m_dialog->pos(), QPoint(505, 273));
        QCOMPARE(m_dialog->font().pixelSize(), 11);
        QCOMPARE(m_dialog->palette().color(QPalette::Window), m_dialog->palette().color(QPalette::Button));
        // Whatever font stands in for the design font, the long caption is not cut.
        QVERIFY(m_dialog->ChkBxSom->sizeHint().width() <= m_dialog->ChkBxSom->width());
        QCOMPARE(m_dialog->ChkLstBxTipoAtendimento->parentWidget(), m_dialog->GroupBox1);
        QVERIFY(!m_dialog->ChkLstBxTipoAtendimento->isSortingEnabled());
        for (QPushButton* button : {m_dialog->BtBtnGravar, m_dialog->BtBtnCancelar}) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
            QVERIFY(!button->icon().isNull());
        }
        QCOMPARE(tabOrder(m_dialog.get()),
                 (QStringList{"ChkBxSom", "ChkLstBxTipoAtendimento", "BtBtnGravar", "BtBtnCancelar", "ChkBxVoz",
                              "BtBtnTestarSom"}));
        // The added button overlaps no control and fits its caption.
        for (QWidget* other : m_dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY2(other == m_dialog->BtBtnTestarSom
                         || !other->geometry().intersects(m_dialog->BtBtnTestarSom->geometry()),
                     qPrintable(other->objectName()));
        QVERIFY(m_dialog->BtBtnTestarSom->sizeHint().width() <= m_dialog->BtBtnTestarSom->width());
        QCOMPARE(TFrmConfigMonitor::SqlConsAtendTipo.split(QLatin1Char('\n')),
                 QStringList({"SELECT *", "FROM ATEND_TIPO", "", "ORDER BY CODATEND_TIPO"}));
    }

    void withoutConnectionTheFailureIsReportedAndTheDialogShows()
    {
        m_dialog->show();
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_failures.size(), 1);
        QCOMPARE(m_dialog->ChkLstBxTipoAtendimento->count(), 0);
    }

    // Each row: the table, the stored file, what the dialog shows, and what
    // an unchanged "Gravar" does (written file, or the "Selecione" notice).
    void fillAndSave_data()
    {
        QTest::addColumn<QString>("types");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QStringList>("expectedLines");
        QTest::addColumn<QList<bool>>("expectedChecks");
        QTest::addColumn<bool>("som");
        QTest::addColumn<QByteArray>("written"); // empty: nothing may be written

        const QString fnp = QStringLiteral("1:Normal:F;2:Notas:N;3:Preferencial:P");
        const QStringList fnpLines{"01-Normal", "02-Notas", "03-Preferencial"};
        QTest::newRow("empty table") << "" << QByteArray("[MONITOR]\r\nTIPO_SENHA=F,P\r\n") << QStringList()
                                     << QList<bool>() << false << QByteArray();
        QTest::newRow("F,P stored") << fnp << QByteArray("[MONITOR]\r\nTIPO_SENHA=F,P\r\nREPETIR_SOM=S\r\n") << fnpLines
                                    << QList<bool>{true, false, true} << true
                                    << QByteArray("[MONITOR]\r\nTIPO_SENHA=F,P\r\nREPETIR_SOM=S\r\n");
        QTest::newRow("vanished type dropped")
            << fnp << QByteArray("[MONITOR]\r\nTIPO_SENHA=F,X\r\n") << fnpLines << QList<bool>{true, false, false}
            << false << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n");
        QTest::newRow("lower case") << fnp << QByteArray("[MONITOR]\r\nTIPO_SENHA=f,p\r\nREPETIR_SOM=s\r\n") << fnpLines
                                    << QList<bool>{false, false, false} << false << QByteArray();
        QTest::newRow("no file") << fnp << QByteArray() << fnpLines << QList<bool>{false, false, false} << false
                                 << QByteArray();
        QTest::newRow("codes past two digits")
            << "7:Sete:S;123:Cento:C;12:Doze:D" << QByteArray("[MONITOR]\nTIPO_SENHA=S,C\n")
            << QStringList{"07-Sete", "12-Doze", "123-Cento"} << QList<bool>{true, false, true} << false
            << QByteArray("[MONITOR]\nTIPO_SENHA=S,C\nREPETIR_SOM=N\n");
        QTest::newRow("letterless type") << "1:Normal:F;2:Sem letra:" << QByteArray("[MONITOR]\r\nTIPO_SENHA=F, \r\n")
                                         << QStringList{"01-Normal", "02-Sem letra"} << QList<bool>{true, false}
                                         << false << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n");
    }
    void fillAndSave()
    {
        QFETCH(QString, types);
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, expectedLines);
        QFETCH(QList<bool>, expectedChecks);
        QFETCH(bool, som);
        QFETCH(QByteArray, written);
        if (!openOffice(types))
            return;
        if (!stored.isEmpty())
            writeAll(m_ini, stored);

        m_dialog->show();
        QVERIFY(m_failures.isEmpty());
        QCOMPARE(lines(m_dialog->ChkLstBxTipoAtendimento), expectedLines);
        QCOMPARE(checks(m_dialog->ChkLstBxTipoAtendimento), expectedChecks);
        QCOMPARE(m_dialog->ChkBxSom->isChecked(), som);

        m_dialog->BtBtnGravar->click();
        QVERIFY(m_failures.isEmpty());
        QCOMPARE(m_platform->boxes.shown.size(), 1);
        const ShownBox box = m_platform->boxes.shown.first();
        QCOMPARE(box.title, QStringLiteral("VARLO"));
        QCOMPARE(box.style, 64);
        if (written.isEmpty()) {
            QCOMPARE(box.text, Selecione);
            QCOMPARE(readAll(m_ini), stored);
            QVERIFY(m_dialog->isVisible());
        } else {
            QCOMPARE(box.text, Gravadas);
            QCOMPARE(readAll(m_ini), written);
            QVERIFY(!m_dialog->isVisible());
            QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        }
    }

    // The voice choice is shown from the file and saved with the others; a
    // file that never had it is written as without the choice.
    void voiceChoice_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QByteArray>("written");
        const QByteArray semVoz("[MONITOR]\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n");
        QTest::newRow("kept on") << QByteArray("[MONITOR]\r\nVOZ=S\r\nTIPO_SENHA=F\r\n") << true << true
                                 << QByteArray("[MONITOR]\r\nVOZ=S\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n");
        QTest::newRow("turned off") << QByteArray("[MONITOR]\r\nVOZ=S\r\nTIPO_SENHA=F\r\n") << true << false
                                    << QByteArray("[MONITOR]\r\nVOZ=N\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n");
        QTest::newRow("turned on") << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\n") << false << true
                                   << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\nVOZ=S\r\n");
        QTest::newRow("never had it") << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\n") << false << false << semVoz;
        QTest::newRow("odd value") << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\nVOZ=s\r\n") << false << false
                                   << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\nVOZ=s\r\nREPETIR_SOM=N\r\n");
    }
    void voiceChoice()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, chosen);
        if (!openOffice(QStringLiteral("1:Normal:F")))
            return;
        writeAll(m_ini, stored);
        m_dialog->show();
        QTEST(m_dialog->ChkBxVoz->isChecked(), "shown");
        m_dialog->ChkLstBxTipoAtendimento->item(0)->setCheckState(Qt::Checked);
        m_dialog->ChkBxVoz->setChecked(chosen);
        m_dialog->BtBtnGravar->click();
        QVERIFY(m_failures.isEmpty());
        QTEST(readAll(m_ini), "written");
    }

    // The test plays an example call as the dialog shows the settings, saved
    // or not: chime and phrase when the voice is checked, the chime alone
    // otherwise; the file is not touched.
    void testButtonPlaysTheExample_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("vozMarcada");
        QTest::addColumn<QString>("frase");
        QTest::newRow("voice checked, not saved")
            << QByteArray("[MONITOR]\r\nTIPO_SENHA=N\r\n") << true << "Senha N 1. Mesa 1.";
        QTest::newRow("voice saved, unchecked") << QByteArray("[MONITOR]\r\nTIPO_SENHA=N\r\nVOZ=S\r\n") << false << "";
    }
    void testButtonPlaysTheExample()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, vozMarcada);
        QFETCH(QString, frase);
        if (!openOffice(QStringLiteral("1:Normal:F;2:Notas:N")))
            return;
        writeAll(m_ini, stored + "VOZ_VELOCIDADE=200\r\nVOZ_VOLUME=40\r\n");
        m_dialog->show();
        m_dialog->ChkBxVoz->setChecked(vozMarcada);
        m_dialog->BtBtnTestarSom->click();
        QVERIFY(m_failures.isEmpty());
        const FakeSpeech& speech = m_platform->speech;
        if (frase.isEmpty()) {
            QVERIFY(speech.spoken.isEmpty());
            QCOMPARE(m_platform->sound.played, QStringList{somDaChamada()});
        } else {
            QCOMPARE(speech.spoken.size(), 1);
            QCOMPARE(speech.spoken[0].text, frase);
            QCOMPARE(speech.spoken[0].wordsPerMinute, 200);
            QCOMPARE(speech.spoken[0].volume, 40);
            QCOMPARE(speech.heard().value(0).sound, somDaChamada());
            QVERIFY(m_platform->sound.played.isEmpty());
        }
        QCOMPARE(readAll(m_ini), stored + "VOZ_VELOCIDADE=200\r\nVOZ_VOLUME=40\r\n");
        QVERIFY(m_dialog->isVisible());
    }

    void lettersFollowListOrderNotClickOrder()
    {
        if (!openOffice(QStringLiteral("1:Normal:F;2:Notas:N;3:Preferencial:P")))
            return;
        m_dialog->show();
        auto* list = m_dialog->ChkLstBxTipoAtendimento;
        list->item(2)->setCheckState(Qt::Checked);
        list->item(0)->setCheckState(Qt::Checked);
        m_dialog->ChkBxSom->setChecked(true);
        m_dialog->BtBtnGravar->click();
        QCOMPARE(readAll(m_ini), QByteArray("[MONITOR]\r\nTIPO_SENHA=F,P\r\nREPETIR_SOM=S\r\n"));
    }

    void cancelWritesNothingAndNextShowingRestores()
    {
        if (!openOffice(QStringLiteral("1:Normal:F;2:Notas:N;3:Preferencial:P")))
            return;
        const QByteArray stored("[MONITOR]\r\nTIPO_SENHA=N\r\nREPETIR_SOM=S\r\n");
        writeAll(m_ini, stored);
        m_dialog->show();
        auto* list = m_dialog->ChkLstBxTipoAtendimento;
        list->item(0)->setCheckState(Qt::Checked);
        list->item(1)->setCheckState(Qt::Unchecked);
        m_dialog->ChkBxSom->setChecked(false);
        m_dialog->BtBtnCancelar->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(readAll(m_ini), stored);
        QVERIFY(m_platform->boxes.shown.isEmpty());

        m_dialog->show();
        QCOMPARE(checks(list), (QList<bool>{false, true, false}));
        QVERIFY(m_dialog->ChkBxSom->isChecked());
    }

    // The modal showing ends with Rejected however it is left.
    void everyWayOutIsCancel_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Gravar") << "gravar";
        QTest::newRow("Cancelar") << "cancelar";
        QTest::newRow("close") << "close";
        QTest::newRow("Esc") << "esc";
    }
    void everyWayOutIsCancel()
    {
        QFETCH(QString, way);
        if (!openOffice(QStringLiteral("1:Normal:F")))
            return;
        writeAll(m_ini, "[MONITOR]\r\nTIPO_SENHA=F\r\n");
        QTimer::singleShot(0, m_dialog.get(), [&] {
            if (way == QLatin1String("gravar"))
                m_dialog->BtBtnGravar->click();
            else if (way == QLatin1String("cancelar"))
                m_dialog->BtBtnCancelar->click();
            else if (way == QLatin1String("close"))
                m_dialog->close();
            else
                QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
        });
        QTimer::singleShot(5000, m_dialog.get(), [&] { m_dialog->QDialog::done(42); });
        QCOMPARE(m_dialog->exec(), int(QDialog::Rejected));
        QCOMPARE(m_dialog->ChkLstBxTipoAtendimento->count(), 1);
    }

    void enterDoesNotSave()
    {
        if (!openOffice(QStringLiteral("1:Normal:F")))
            return;
        writeAll(m_ini, "[MONITOR]\r\nTIPO_SENHA=F\r\n");
        m_dialog->show();
        m_dialog->BtBtnGravar->setFocus();
        QTest::keyClick(m_dialog->BtBtnGravar, Qt::Key_Return);
        QTest::keyClick(m_dialog.get(), Qt::Key_Enter);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(readAll(m_ini), QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\n"));
    }

    void unwritableFileReachesTheHandler()
    {
        if (!openOffice(QStringLiteral("1:Normal:F;3:Preferencial:P")))
            return;
        const QByteArray stored("[MONITOR]\r\nTIPO_SENHA=F\r\n");
        writeAll(m_ini, stored);
        QVERIFY(QFile::setPermissions(m_ini, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        m_dialog->show();
        m_dialog->ChkLstBxTipoAtendimento->item(1)->setCheckState(Qt::Checked);
        m_dialog->BtBtnGravar->click();

        QCOMPARE(m_failures.size(), 1);
        QCOMPARE(m_failures[0].className, QStringLiteral("EIniFileException"));
        QCOMPARE(m_failures[0].message, QStringLiteral("Unable to write to ") + m_ini);
        QVERIFY(m_platform->boxes.shown.isEmpty());
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(readAll(m_ini), stored);
    }

    // A failed read leaves the previous lines and check box as they were.
    void failedReadKeepsThePreviousShowing()
    {
        if (!openOffice(QStringLiteral("1:Normal:F;3:Preferencial:P")))
            return;
        writeAll(m_ini, "[MONITOR]\r\nTIPO_SENHA=P\r\nREPETIR_SOM=S\r\n");
        m_dialog->show();
        m_dialog->hide();
        writeAll(m_ini, "[MONITOR]\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n");
        m_dialog->setConexao(std::make_shared<FbConnection>(DbFixture::params(m_db->location("NADA.FDB"))));
        m_dialog->show();

        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_failures.size(), 1);
        QCOMPARE(m_failures[0].className, QStringLiteral("EDatabaseError"));
        QCOMPARE(lines(m_dialog->ChkLstBxTipoAtendimento), (QStringList{"01-Normal", "03-Preferencial"}));
        QCOMPARE(checks(m_dialog->ChkLstBxTipoAtendimento), (QList<bool>{false, true}));
        QVERIFY(m_dialog->ChkBxSom->isChecked());
    }

    // A walker step holding the connection delays the read; it never overlaps it.
    void readWaitsForTheConnectionLock()
    {
        if (!openOffice(QStringLiteral("1:Normal:F")))
            return;
        std::atomic<bool> held{false};
        std::atomic<bool> released{false};
        std::thread walker([&] {
            FbConnection::Guard guard(*m_conexao);
            held = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            released = true;
        });
        while (!held)
            std::this_thread::yield();
        m_dialog->show();
        const bool afterRelease = released;
        walker.join();
        QVERIFY(afterRelease);
        QCOMPARE(m_dialog->ChkLstBxTipoAtendimento->count(), 1);
    }

    // A walker step that never lets the connection go: the window waits a
    // few seconds, says the database is not answering, and goes back.
    void stuckConnectionSendsTheDialogBack()
    {
        auto conexao = std::make_shared<FbConnection>();
        m_dialog->setConexao(conexao);
        std::atomic<bool> held{false};
        std::atomic<bool> release{false};
        std::thread walker([&] {
            FbConnection::Guard guard(*conexao);
            held = true;
            for (int i = 0; i < 1500 && !release; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        while (!held)
            std::this_thread::yield();
        QElapsedTimer clock;
        clock.start();
        m_dialog->show();
        const qint64 waited = clock.elapsed();
        release = true;
        walker.join();
        QVERIFY2(waited < 4000, qPrintable(QString::number(waited)));
        QCOMPARE(m_platform->boxes.shown.size(), 1);
        QVERIFY2(m_platform->boxes.shown[0].text.contains(QStringLiteral("não está respondendo")),
                 qPrintable(m_platform->boxes.shown[0].text));
        QTRY_VERIFY(!m_dialog->isVisible());
        QVERIFY(m_failures.isEmpty());
    }

private:
    bool openOffice(const QString& types)
    {
        if (!DbFixture::requireServer())
            return false;
        m_db = std::make_unique<DbFixture>();
        const QString database = m_db->createOffice();
        insertTypes(database, types);
        m_conexao = DbFixture::connect(database);
        m_dialog->setConexao(m_conexao);
        return true;
    }

    QTemporaryDir m_dir;
    QString m_ini;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<DbFixture> m_db;
    std::shared_ptr<FbConnection> m_conexao;
    std::unique_ptr<TFrmConfigMonitor> m_dialog;
    QList<Failure> m_failures;
};

MONITOR_TEST_MAIN(TstFrmConfigMonitor)
#include "tst_frmconfigmonitor.moc"
