#pragma once
// The office data module: the connection to the office database on which every
// query of the program runs, its start-up (date-format check, connection
// information, connect with progress on the splash, clock from the server) and
// the housekeeping timer.

#include "data/InfoConexao.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

class FbConnection;
class TFDMConnectionUser;

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

struct TTransactionDesc {
    quint32 TransactionID = 0;
    enum { ReadCommitted } IsolationLevel = ReadCommitted;
};
extern TTransactionDesc TransacaoGlobal;

class TFDMCadastro : public QObject {
    Q_OBJECT
public:
    explicit TFDMCadastro(QObject* owner = nullptr); // runs DataModuleCreate
    ~TFDMCadastro() override;                          // runs DataModuleDestroy

    std::shared_ptr<FbConnection> SQLConnectionVARLO;
    QTimer TmrVarlo;
    bool ConexaoPreparada = false;

    // The user data module, for the inactivity check; set by the display window.
    TFDMConnectionUser* FDMConnectionUser = nullptr;

    bool MesmaVersao_Exe_Banco();
    void VerificaNovaVersao(const QString& coluna, const QString& build, const QString& caption,
                            bool& encerrarSistema);
    // The office name: NOME of the first CARTORIO row in name order, empty when none.
    QString NomeCartorio();
    void CarregaParametros();

    void TmrVarloTimer();
    void SincronizaDataHora();
    void VerificaTempoInativo();

private:
    void DataModuleCreate();
    void DataModuleDestroy();
    void SQLConnectionVARLOBeforeConnect();
};
