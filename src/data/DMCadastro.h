#pragma once
// The office data module: the connection to the office database on which every
// query of the program runs, its start-up (date-format check, connection
// information, connect with progress on the splash, clock from the server) and
// the housekeeping timer.

#include "base/Clock.h"
#include "base/ClockTimer.h"
#include "data/DMConnectionUser.h"
#include "data/FbClient.h"
#include "data/InfoConexao.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <atomic>
#include <memory>
#include <optional>

// The date of the tickets shown; read by the call walker without a lock.
class ReferenceDate {
public:
    QDate get() const { return QDate::fromJulianDay(m_day.load()); }
    void set(const QDate& d) { m_day.store(d.isValid() ? d.toJulianDay() : 0); }

private:
    std::atomic<qint64> m_day{0};
};
extern ReferenceDate DataDoDia;

// Last message taken by the application's loop (window thread only).
extern QDateTime UltimaAtividade;

// Shared by every explicit write transaction: add 1 to the number, set read
// committed, start unless one is active, execute, commit.
struct TTransactionDesc {
    quint32 TransactionID = 0;
    enum { ReadCommitted } IsolationLevel = ReadCommitted;
};
extern TTransactionDesc TransacaoGlobal;

class TFDMCadastro : public QObject {
    Q_OBJECT
public:
    // Runs DataModuleCreate, which reports its own failures and requests the
    // application's termination; it never throws. Afterwards
    // InfoConexaoAtual->ConectadoCadastro tells whether start-up may go on.
    // The housekeeping timer and every date and time the module reads
    // run on `clock`.
    explicit TFDMCadastro(QObject* owner = nullptr, Clock& clock = programClock());
    ~TFDMCadastro() override; // runs DataModuleDestroy

    // Shared with the call walker; every use holds FbConnection::Guard.
    std::shared_ptr<FbConnection> SQLConnectionVARLO;
    ClockTimer TmrVarlo;
    bool ConexaoPreparada = false;

    // The user data module, for the inactivity check; set by the display window.
    QPointer<TFDMConnectionUser> FDMConnectionUser;

    // Opens SQLConnectionVARLO, preparing it from dbxconnections.ini at the
    // first connect only.
    void AbreConexao();

    Clock& clock() const { return m_clock; }
    // The released version of this program, column `coluna` of VERSAOBD
    // (first row; empty when null or absent).
    QString VersaoLiberada(const QString& coluna);
    // The office name: NOME of the first CARTORIO row in name order, empty when none.
    QString NomeCartorio();
    // Loads InfoConexaoAtual->Parametro from the office database.
    void CarregaParametros();

    // The timer's work; errors propagate (the timer hands them to ManipulaExcecoes).
    void TmrVarloTimer();
    // Sets the PC's clock from the server's, or, where that is refused,
    // moves the program's clock by the difference.
    void SincronizaDataHora(FbConnection::Milliseconds cancelGrace = FbConnection::CancelGrace);
    void VerificaTempoInativo();

private:
    void DataModuleCreate();
    void DataModuleDestroy();
    void SQLConnectionVARLOBeforeConnect();
    void aoDispararTmrVarlo();
    void mostraFalhaDoTimer(const std::exception& e);
    void informaDiferenca(qint64 diferenca);

    Clock& m_clock;
    std::unique_ptr<TInfoConexao> m_infoConexao;
    QSet<QString> m_falhasAbertas; // texts of the timer's failure boxes still open
    bool m_relogioMedido = false; // a clock synchronisation has succeeded
    QDateTime m_relogioTentado; // the PC's time of the last failed one, while none has succeeded
    std::optional<qint64> m_diferencaInformada; // the difference to the server last written to the journal, s
};
