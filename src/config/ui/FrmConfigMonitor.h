#pragma once
// The small borderless dialog in which the operator of a display PC picks the
// ticket types this screen calls and whether the sound plays on every call.
// The choice goes to CARTORIO.ini and applies from the next start.

#include <QDialog>
#include <functional>
#include <memory>

class FbConnection;
class QCheckBox;
class QGroupBox;
class QListWidget;
class QPushButton;

class TFrmConfigMonitor : public QDialog {
    Q_OBJECT
public:
    explicit TFrmConfigMonitor(QWidget* parent = nullptr);
    ~TFrmConfigMonitor() override;

    // The stored settings; they use nothing of a dialog instance.
    static QString RetornaTiposSenha(); // "" when absent
    static QString RetornaRepetirSom(); // "N" when absent

    // The office database connection the ticket types are read from. Every use
    // holds the connection's lock, so it never overlaps the call walker.
    void setConexao(std::shared_ptr<FbConnection> conexao);

    // Plays the example call of the test button: the ticket-type letter and
    // whether the voice is checked. Unset, the button plays nothing.
    using ExamplePlayer = std::function<void(const QString& sigla, bool voice)>;
    void setExamplePlayer(ExamplePlayer player) { m_playExample = std::move(player); }

    // The SQL of the ticket-type read.
    static const QString SqlConsAtendTipo;

    QCheckBox* ChkBxSom = nullptr;
    QCheckBox* ChkBxVoz = nullptr; // the spoken call (VOZ)
    QGroupBox* GroupBox1 = nullptr;
    QListWidget* ChkLstBxTipoAtendimento = nullptr;
    QPushButton* BtBtnGravar = nullptr;
    QPushButton* BtBtnCancelar = nullptr;
    QPushButton* BtBtnTestarSom = nullptr; // plays an example call as the dialog is set

    // Every way out of the dialog yields Rejected, which the display window
    // takes as the sign to let its call walker run again.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void BtBtnGravarClick();
    void BtBtnTestarSomClick();

    std::shared_ptr<FbConnection> m_conexao;
    ExamplePlayer m_playExample;
};
