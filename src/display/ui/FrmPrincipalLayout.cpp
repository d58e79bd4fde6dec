// The display window's panels and labels as designed for a client area of
// 784 x 562. Creation order matters: scaling walks the components in it.

#include "display/ui/FrmPrincipal.h"

#include <QAction>
#include <QMenu>

namespace {

QFont fonte(const QString& family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Looks each big call panel keeps: enough for the calls of the desks at work
// in an office, a few hundred kilobytes each.
const int LooksOfTheCalls = 8;

const QColor kPreto(0x00, 0x00, 0x00);
const QColor kBranco(0xFF, 0xFF, 0xFF);
const QColor kAmarelo(0xFF, 0xFF, 0x00);
const QColor kAzulClaro(0xB9, 0xDC, 0xFF);
const QColor kAzulMedio(0x8A, 0xC5, 0xFF);
const QColor kAzulSenha(0x3E, 0x3E, 0xFF);
const QColor kVerdeClaro(0xDB, 0xFF, 0xB7);
const QColor kVerdeMesa(0x0A, 0xB1, 0xA0);

} // namespace

TPanel* TFrmPrincipal::novoPainel(QWidget* parent, const QString& name, TAlign align, const QRect& design)
{
    auto* panel = new TPanel(parent);
    panel->setObjectName(name);
    panel->setGeometry(design);
    panel->setAlign(align);
    m_componentes.append(panel);
    return panel;
}

// A label that draws on its parent's background with its own font; a
// fixed-size label keeps its design size whatever its caption.
TLabel* TFrmPrincipal::novoRotulo(QWidget* parent, const QString& name, const QRect& design, const QFont& font,
                                  const QColor& fontColor, const QString& caption, bool tamanhoFixo)
{
    auto* label = new TLabel(parent);
    label->setObjectName(name);
    label->setAutoSize(!tamanhoFixo);
    label->setGeometry(design);
    label->setFont(font);
    label->setFontColor(fontColor);
    label->setTransparent(true);
    label->setCaption(caption);
    m_componentes.append(label);
    return label;
}

void TFrmPrincipal::CriaComponentes()
{
    const QFont arialHistorico = fonte(QStringLiteral("Arial"), 56, false);
    const QFont arialPreferencial = fonte(QStringLiteral("Arial"), 48, false);
    const QFont arialMesa = fonte(QStringLiteral("Arial"), 53, false);
    const QColor textoJanela = palette().color(QPalette::WindowText);

    // History of the previous calls, along the bottom.
    PnlSenhaChamadas = novoPainel(this, QStringLiteral("PnlSenhaChamadas"), TAlign::alBottom, QRect(0, 354, 784, 208));
    PnlSenhaChamadas->setColor(kAzulClaro);

    Panel4 = novoPainel(PnlSenhaChamadas, QStringLiteral("Panel4"), TAlign::alBottom, QRect(1, 157, 782, 50));
    Panel4->setParentColor(true);
    LblUltSenha3 = novoRotulo(Panel4, QStringLiteral("LblUltSenha3"), QRect(28, 1, 146, 65), arialHistorico, kPreto,
                              QStringLiteral("F-999"));
    lblpPreferencial3 = novoRotulo(Panel4, QStringLiteral("lblpPreferencial3"), QRect(181, 4, 256, 55),
                                   arialPreferencial, kPreto, QStringLiteral("Preferencial"));
    LblUltMesa3 = novoRotulo(Panel4, QStringLiteral("LblUltMesa3"), QRect(520, -1, 257, 55), arialMesa, kPreto,
                             QStringLiteral("02"), true);

    Panel5 = novoPainel(PnlSenhaChamadas, QStringLiteral("Panel5"), TAlign::alTop, QRect(1, 1, 782, 106));
    Panel5->setParentColor(true);
    Label3 = novoRotulo(Panel5, QStringLiteral("Label3"), QRect(0, 0, 441, 48),
                        fonte(QStringLiteral("Verdana"), 40, true), textoJanela, QStringLiteral("  Últimas chamadas"));
    Label3->setTransparent(false);
    LblUltSenha1 = novoRotulo(Panel5, QStringLiteral("LblUltSenha1"), QRect(28, 55, 146, 65), arialHistorico, kPreto,
                              QStringLiteral("F-999"));
    lblpPreferencial1 = novoRotulo(Panel5, QStringLiteral("lblpPreferencial1"), QRect(180, 61, 256, 55),
                                   arialPreferencial, kPreto, QStringLiteral("Preferencial"));
    LblUltMesa1 = novoRotulo(Panel5, QStringLiteral("LblUltMesa1"), QRect(520, 51, 257, 55), arialMesa, kPreto,
                             QStringLiteral("02"), true);

    Panel6 = novoPainel(PnlSenhaChamadas, QStringLiteral("Panel6"), TAlign::alClient, QRect(1, 107, 782, 50));
    Panel6->setColor(kAzulMedio);
    LblUltSenha2 = novoRotulo(Panel6, QStringLiteral("LblUltSenha2"), QRect(28, 0, 146, 65), arialHistorico, kPreto,
                              QStringLiteral("F-999"));
    lblpPreferencial2 = novoRotulo(Panel6, QStringLiteral("lblpPreferencial2"), QRect(180, 3, 256, 55),
                                   arialPreferencial, kPreto, QStringLiteral("Preferencial"));
    LblUltMesa2 = novoRotulo(Panel6, QStringLiteral("LblUltMesa2"), QRect(520, -1, 257, 49), arialMesa, kPreto,
                             QStringLiteral("02"), true);

    // Office name across the top, with the small mark that opens the menu.
    PnlNomeCartorio = novoPainel(this, QStringLiteral("PnlNomeCartorio"), TAlign::alTop, QRect(0, 0, 784, 41));
    PnlNomeCartorio->setFont(fonte(QStringLiteral("Arial"), 27, false));
    PnlNomeCartorio->setFontColor(textoJanela);
    PnlNomeCartorio->setCaption(QStringLiteral("Nome do Cartório"));

    Label2 = new TLabel(PnlNomeCartorio);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAutoSize(false);
    Label2->setGeometry(774, 1, 9, 39);
    Label2->setFontColor(textoJanela);
    Label2->setCaption(QStringLiteral("-"));
    Label2->setAlign(TAlign::alRight);
    m_componentes.append(Label2);

    PopupMenuConfig = new QMenu(this);
    PopupMenuConfig->setObjectName(QStringLiteral("PopupMenuConfig"));
    ipodeSenhasChamadas1 = PopupMenuConfig->addAction(QStringLiteral("Configurações"));
    ipodeSenhasChamadas1->setObjectName(QStringLiteral("ipodeSenhasChamadas1"));
    connect(ipodeSenhasChamadas1, &QAction::triggered, this, [this] { ipodeSenhasChamadas1Click(); });
    Label2->setPopupMenu(PopupMenuConfig);

    // The call: ticket on the left, desk on the right.
    Panel7 = novoPainel(this, QStringLiteral("Panel7"), TAlign::alClient, QRect(0, 41, 784, 313));

    PnlSenha = novoPainel(Panel7, QStringLiteral("PnlSenha"), TAlign::alLeft, QRect(1, 1, 516, 311));
    PnlSenha->setColor(kAzulSenha);
    Panel8 = novoPainel(PnlSenha, QStringLiteral("Panel8"), TAlign::alTop, QRect(1, 1, 514, 64));
    Panel8->setParentColor(true);
    Label1 = novoRotulo(Panel8, QStringLiteral("Label1"), QRect(0, -1, 289, 78),
                        fonte(QStringLiteral("Verdana"), 64, true), kBranco, QStringLiteral("   Senha"));

    PnlNumeroSenha = novoPainel(PnlSenha, QStringLiteral("PnlNumeroSenha"), TAlign::alClient, QRect(1, 65, 514, 188));
    PnlNumeroSenha->setParentColor(true);
    // A pass shows the same calls in turn, one per desk at work.
    PnlNumeroSenha->setKeptLooks(LooksOfTheCalls);
    PnlNumeroSenha->setFont(fonte(QStringLiteral("Arial"), 200, true));
    PnlNumeroSenha->setFontColor(kBranco);
    PnlNumeroSenha->setCaption(QStringLiteral("F-999"));

    PnlPreferencial = novoPainel(PnlSenha, QStringLiteral("PnlPreferencial"), TAlign::alBottom, QRect(1, 253, 514, 57));
    PnlPreferencial->setParentColor(true);
    // It blinks between two colours every second, and is blank for normal calls.
    PnlPreferencial->setKeptLooks(3);
    PnlPreferencial->setFont(fonte(QStringLiteral("Verdana"), 67, true));
    PnlPreferencial->setFontColor(kAmarelo);
    PnlPreferencial->setCaption(QStringLiteral("PREFERENCIAL"));

    PnlMesa = novoPainel(Panel7, QStringLiteral("PnlMesa"), TAlign::alClient, QRect(517, 1, 266, 311));
    PnlMesa->setColor(kVerdeClaro);
    Panel3 = novoPainel(PnlMesa, QStringLiteral("Panel3"), TAlign::alTop, QRect(1, 1, 264, 64));
    Panel3->setColor(kVerdeMesa);
    LblLocal = novoRotulo(Panel3, QStringLiteral("LblLocal"), QRect(0, 0, 163, 61),
                          fonte(QStringLiteral("Verdana"), 51, true), kBranco, QStringLiteral(" Mesa"));
    LblLocal->setColor(kVerdeMesa);
    LblLocal->setTransparent(false);

    PnlNumeroMesa = novoPainel(PnlMesa, QStringLiteral("PnlNumeroMesa"), TAlign::alClient, QRect(1, 65, 264, 188));
    PnlNumeroMesa->setColor(kVerdeMesa);
    PnlNumeroMesa->setKeptLooks(LooksOfTheCalls);
    PnlNumeroMesa->setFont(fonte(QStringLiteral("Arial"), 200, true));
    PnlNumeroMesa->setFontColor(kBranco);
    PnlNumeroMesa->setCaption(QStringLiteral("01"));

    PnlHorario = novoPainel(PnlMesa, QStringLiteral("PnlHorario"), TAlign::alBottom, QRect(1, 253, 264, 57));
    PnlHorario->setColor(kVerdeMesa);
    PnlHorario->setFont(fonte(QStringLiteral("Arial"), 35, true));
    PnlHorario->setFontColor(kBranco);
    PnlHorario->setCaption(QStringLiteral("10:04:30"));

    // A long ticket number in a history row gives way to its marker.
    LblUltSenha1->setVizinhoADireita(lblpPreferencial1);
    LblUltSenha2->setVizinhoADireita(lblpPreferencial2);
    LblUltSenha3->setVizinhoADireita(lblpPreferencial3);

    TControl::realignTree(this);
}
