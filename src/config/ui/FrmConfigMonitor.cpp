#include "config/ui/FrmConfigMonitor.h"

#include "base/Errors.h"
#include "base/FormataComZeros.h"
#include "config/MonitorSettings.h"
#include "data/FbClient.h"
#include "platform/Platform.h"
#include "support/ApplicationEvents.h"
#include "support/ui/Imagem.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

const QString TFrmConfigMonitor::SqlConsAtendTipo =
    QStringLiteral("SELECT *\nFROM ATEND_TIPO\n\nORDER BY CODATEND_TIPO");

// The resources sit in a static library and are registered only on request.
static void carregaImagens()
{
    Q_INIT_RESOURCE(assets);
}

namespace {

// Each line keeps its row's code and letter, so that the save never has to
// read them back from the text (a code of three digits would not fit).
constexpr int CodigoRole = Qt::UserRole;
constexpr int SiglaRole = Qt::UserRole + 1;

const QString Titulo = QStringLiteral("VARLO");

QPushButton* novoBotao(QWidget* parent, const QString& name, const QString& caption, const QString& image,
                       const QRect& geometry)
{
    auto* button = new QPushButton(QIcon(imagem::carrega(image)), caption, parent);
    button->setObjectName(name);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(geometry);
    // Neither button answers Enter: only a click chooses.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// A stand-in font may be wider than the design font: narrows the caption's
// font until the whole caption fits the design width.
void cabeNaLargura(QWidget* widget)
{
    QFont fonte = widget->font();
    while (fonte.pixelSize() > 8 && widget->sizeHint().width() > widget->width()) {
        fonte.setPixelSize(fonte.pixelSize() - 1);
        widget->setFont(fonte);
    }
}

// Failures of an event go to the application-wide handler, the same way
// whether a modal loop or the main loop delivers the event.
template <typename Action>
void comTratamento(Action action)
{
    try {
        action();
    } catch (const Exception& failure) {
        ApplicationEvents::handleException(failure);
    } catch (const std::exception& failure) {
        ApplicationEvents::handleException(Exception(QString::fromLocal8Bit(failure.what())));
    }
}

} // namespace

TFrmConfigMonitor::TFrmConfigMonitor(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    carregaImagens();
    setObjectName(QStringLiteral("FrmConfigMonitor"));
    setModal(true);

    // Where the design font is missing, a sans serif of about its widths
    // keeps the captions within their design sizes.
    QFont fonte;
    fonte.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    fonte.setPixelSize(11);
    setFont(fonte);
    QPalette cores = palette();
    cores.setColor(QPalette::Window, cores.color(QPalette::Button));
    setPalette(cores);
    setAutoFillBackground(true);

    setFixedSize(413, 293);
    move(505, 273);

    ChkBxSom = new QCheckBox(QStringLiteral("Executar SOM em todas as chamadas de senhas"), this);
    ChkBxSom->setObjectName(QStringLiteral("ChkBxSom"));
    ChkBxSom->setGeometry(16, 24, 257, 17);
    cabeNaLargura(ChkBxSom);

    // Above the sound choice, in the strip the design leaves free.
    ChkBxVoz = new QCheckBox(QStringLiteral("Anunciar a senha por voz"), this);
    ChkBxVoz->setObjectName(QStringLiteral("ChkBxVoz"));
    ChkBxVoz->setGeometry(16, 4, 257, 17);
    cabeNaLargura(ChkBxVoz);

    GroupBox1 = new QGroupBox(QStringLiteral("Tipos de Senhas chamadas neste terminal"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(16, 56, 377, 185);

    ChkLstBxTipoAtendimento = new QListWidget(GroupBox1);
    ChkLstBxTipoAtendimento->setObjectName(QStringLiteral("ChkLstBxTipoAtendimento"));
    ChkLstBxTipoAtendimento->setGeometry(2, 15, 373, 168);
    ChkLstBxTipoAtendimento->setSortingEnabled(false);
    ChkLstBxTipoAtendimento->setUniformItemSizes(true);

    BtBtnGravar = novoBotao(this, QStringLiteral("BtBtnGravar"), QStringLiteral("Gravar"),
                            QStringLiteral(":/buttons/gravar.png"), QRect(280, 256, 75, 25));
    BtBtnCancelar = novoBotao(this, QStringLiteral("BtBtnCancelar"), QStringLiteral("Cancelar"),
                              QStringLiteral(":/buttons/cancelar.png"), QRect(48, 256, 75, 25));

    // Between the two buttons, in the strip the design leaves free.
    BtBtnTestarSom = new QPushButton(QStringLiteral("Testar som e voz"), this);
    BtBtnTestarSom->setObjectName(QStringLiteral("BtBtnTestarSom"));
    BtBtnTestarSom->setGeometry(136, 256, 132, 25);
    BtBtnTestarSom->setAutoDefault(false);
    cabeNaLargura(BtBtnTestarSom);

    setTabOrder(ChkBxSom, ChkLstBxTipoAtendimento);
    setTabOrder(ChkLstBxTipoAtendimento, BtBtnGravar);
    setTabOrder(BtBtnGravar, BtBtnCancelar);
    setTabOrder(BtBtnCancelar, ChkBxVoz);
    setTabOrder(ChkBxVoz, BtBtnTestarSom);

    connect(BtBtnGravar, &QPushButton::clicked, this, [this] { comTratamento([this] { BtBtnGravarClick(); }); });
    connect(BtBtnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtBtnTestarSom, &QPushButton::clicked, this, [this] { comTratamento([this] { BtBtnTestarSomClick(); }); });
}

TFrmConfigMonitor::~TFrmConfigMonitor() = default;

QString TFrmConfigMonitor::RetornaTiposSenha()
{
    return MonitorSettings::RetornaTiposSenha();
}

QString TFrmConfigMonitor::RetornaRepetirSom()
{
    return MonitorSettings::RetornaRepetirSom();
}

void TFrmConfigMonitor::setConexao(std::shared_ptr<FbConnection> conexao)
{
    m_conexao = std::move(conexao);
}

void TFrmConfigMonitor::done(int)
{
    QDialog::done(QDialog::Rejected);
}

void TFrmConfigMonitor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        comTratamento([this] { FormShow(); });
}

void TFrmConfigMonitor::FormShow()
{
    if (!m_conexao)
        throw Exception(QStringLiteral("Sem conexão com o banco de dados."));

    // The read holds the connection's lock: a walker step still inside the
    // database finishes first, but the window waits a few seconds at most; a
    // server that does not answer sends the operator back to the display.
    // The list is cleared only once the read worked.
    FbQuery tipos(*m_conexao);
    try {
        m_conexao->bounded([&] { tipos.open(SqlConsAtendTipo); });
    } catch (const EServerNotAnswering& naoResponde) {
        platform::services().boxes->show(naoResponde.message(), Titulo, platform::BoxWarning);
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }

    ChkLstBxTipoAtendimento->clear();
    const QString tiposSenha = RetornaTiposSenha();
    for (tipos.first(); !tipos.eof(); tipos.next()) {
        const int codigo = tipos.fieldByName(QStringLiteral("CODATEND_TIPO")).asInteger();
        // A fixed one-character column pads an empty letter with a blank.
        QString sigla = tipos.fieldByName(QStringLiteral("SIGLA")).asString();
        while (sigla.endsWith(QLatin1Char(' ')))
            sigla.chop(1);

        auto* linha = new QListWidgetItem(FormataComZeros(codigo, 2, 0) + QLatin1Char('-')
                                              + tipos.fieldByName(QStringLiteral("TITULO")).asString(),
                                          ChkLstBxTipoAtendimento);
        linha->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        linha->setData(CodigoRole, codigo);
        linha->setData(SiglaRole, sigla);
        const bool escolhido = !sigla.isEmpty() && tiposSenha.contains(sigla, Qt::CaseSensitive);
        linha->setCheckState(escolhido ? Qt::Checked : Qt::Unchecked);
    }

    ChkBxSom->setChecked(RetornaRepetirSom() == QLatin1String("S"));
    ChkBxVoz->setChecked(MonitorSettings::RetornaVoz() == QLatin1String("S"));
}

void TFrmConfigMonitor::BtBtnGravarClick()
{
    QString escolhidos;
    for (int i = 0; i < ChkLstBxTipoAtendimento->count(); ++i) {
        const QListWidgetItem* linha = ChkLstBxTipoAtendimento->item(i);
        const QString sigla = linha->data(SiglaRole).toString();
        if (linha->checkState() != Qt::Checked || sigla.isEmpty())
            continue;
        if (!escolhidos.isEmpty())
            escolhidos += QLatin1Char(',');
        escolhidos += sigla;
    }

    auto* boxes = platform::services().boxes;
    if (escolhidos.isEmpty()) {
        boxes->show(QStringLiteral("Selecione pelo menos uma opção."), Titulo, platform::BoxInformation);
        return;
    }

    MonitorSettings::GravaTiposSenha(escolhidos);
    MonitorSettings::GravaRepetirSom(ChkBxSom->isChecked() ? QStringLiteral("S") : QStringLiteral("N"));
    // A screen that never had the spoken call keeps its file as before.
    if (ChkBxVoz->isChecked() || MonitorSettings::RetornaVoz() == QLatin1String("S"))
        MonitorSettings::GravaVoz(ChkBxVoz->isChecked() ? QStringLiteral("S") : QStringLiteral("N"));
    boxes->show(QStringLiteral("Configurações gravadas com sucesso.\r\nReinicie o sistema."), Titulo,
                platform::BoxInformation);
    reject();
}

// The call of the first ticket type checked (or of any, when none is), as
// the screen would announce it with the choices shown now, saved or not.
void TFrmConfigMonitor::BtBtnTestarSomClick()
{
    QString sigla;
    for (int i = 0; i < ChkLstBxTipoAtendimento->count() && sigla.isEmpty(); ++i) {
        const QListWidgetItem* linha = ChkLstBxTipoAtendimento->item(i);
        if (linha->checkState() == Qt::Checked)
            sigla = linha->data(SiglaRole).toString();
    }
    if (sigla.isEmpty())
        sigla = QStringLiteral("A");
    if (m_playExample)
        m_playExample(sigla, ChkBxVoz->isChecked());
}
