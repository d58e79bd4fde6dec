#pragma once
// The user data module: the connection to the suite's user database
// (USUARIO.FDB beside the office database), the clean-up of login records left
// behind when no other program is attached, and the company row with the
// inactivity limit.

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

class FbConnection;
class TFDMCadastro;

class TFDMConnectionUser : public QObject {
    Q_OBJECT
public:
    // Creation does not connect: the owner calls DataModuleCreate right after,
    // so that the module exists even when that fails.
    explicit TFDMConnectionUser(TFDMCadastro& cadastro, QObject* owner = nullptr);
    ~TFDMConnectionUser() override;

    // Connects, sets InfoConexaoAtual->ConectadoUsuario, clears lost logins
    // when no other program is attached to the office database, and opens the
    // company row. Catches nothing: errors go to the caller.
    void DataModuleCreate();

    // Opens SQLConnectionUser, preparing it at the first connect only.
    void AbreConexao();

    // 0 exactly when the office database lists two attachments (this program's
    // and the count's own). Sets the process exit code to 1 when more than one
    // is listed, else 0; on failure writes the error to stderr, sets exit
    // code 2 and returns non-zero.
    int ContaConexoesBanco();
    // Deletes the open logins: all of them, or, for a module code above 0 and
    // a computer name, those of that module on that computer.
    void ExcluiLoginPerdido(int codModulo, const QString& computador);
    int GeraCodigoGenerator(const QString& gerador, int incremento);
    // True when the logged-in user may connect from this computer; otherwise
    // shows the refusal box and returns false.
    bool AutenticaConexao();

    // TEMPOLIMITELOGOUT of the company row as text (30 when stored null);
    // empty while the row is not open.
    QString TempoLimiteLogout() const;
    bool DadosEmpresaAberto() const { return m_empresaAberta; }

    std::unique_ptr<FbConnection> SQLConnectionUser;
    bool ConexaoPreparada = false;

private:
    void SQLConnectionUserBeforeConnect();
    void AbreDadosEmpresa();

    TFDMCadastro& m_cadastro;
    bool m_empresaAberta = false;
    QVariant m_tempoLimiteLogout;
};
