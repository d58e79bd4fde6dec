#include "display/ChamaSenha.h"

#include "display/EsperaChamada.h"
#include "display/FraseChamada.h"
#include "platform/Platform.h"
#include "support/Errors.h"
#include "support/ManipulaExcecoes.h"

namespace {

QString asText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

// Failures raised by the data access or the display are Exception; anything
// else still ends the walker with a readable text.
QString messageOf(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Exception& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Erro desconhecido");
    }
}

bool lostConnection(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return isCommunicationFailure(e);
    } catch (...) {
        return false;
    }
}

} // namespace

QString somDaChamada()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\VARLO\\CARTORIO\\senha.wav");
#else
    return QStringLiteral("/opt/varlo/cartorio/senha.wav");
#endif
}

QString numeroDaMesa(const QString& mesa)
{
    // The number is the last word: place names may hold blanks (SALA A 5)
    // and numbers may have more than two digits (MESA 123).
    return mesa.mid(mesa.lastIndexOf(QLatin1Char(' ')) + 1).trimmed();
}

ThChamaSenha::ThChamaSenha(WalkerSetup setup, QObject* parent)
    : QThread(parent), m_setup(std::move(setup))
{
}

void ThChamaSenha::run()
{
    // The clock and the window keep ahead of the walker on a busy machine.
    if (auto* threads = platform::services().threads)
        threads->lowerCurrentThread();
    try {
        Execute();
        m_fim = Fim::Parada;
        return;
    } catch (const DisplayClosed&) {
        m_fim = Fim::JanelaFechada;
        return;
    } catch (...) {
        const QString message = messageOf(std::current_exception());
        // Marked before the message shows, so that an activation of the
        // window after the message knows that this walker is ending.
        m_fim = Fim::Falha;
        const auto conexaoPerdida =
            lostConnection(std::current_exception()) ? m_setup.conexaoPerdida : std::function<void(const QString&)>();
        try {
            m_setup.display->call([message, conexaoPerdida](DisplayView&) {
                if (conexaoPerdida)
                    conexaoPerdida(message);
                else
                    platform::services().boxes->show(message, QStringLiteral("Monitor de Senhas"), platform::BoxPlain);
            });
        } catch (...) {
            m_fim = Fim::JanelaFechada;
        }
    }
}

void ThChamaSenha::Execute()
{
    DisplayLink& display = *m_setup.display;
    // The flag belongs to the window: it is read only while the window is
    // there (a query may return after the window has gone).
    const std::atomic<bool>* flag = m_setup.pararChamadas;
    auto parar = [&display, flag] { return display.whileOpen([flag] { return flag->load(); }); };

    EsperaChamada espera(*m_setup.source, display, m_setup.chamadaImediata, m_setup.intervaloReleitura);

    UltimaSenhaAnunciada.clear();
    ContadorAtualizacoes = 0;
    while (!parar()) {
        Atual = TChamadaSenha();
        display.call([](DisplayView& view) { view.setPreferencialCaption(QString()); });
        AtualizaTela();
        m_setup.source->close();
        if (!display.sleepFor(m_setup.pausaEntrePassagens))
            throw DisplayClosed();

        const QDate data = display.whileOpen(m_setup.dataDoDia);
        QList<TicketRow> rows = m_setup.source->open(data);
        espera.novaPassagem(rows, data);
        while (!rows.isEmpty()) {
            if (parar())
                return;
            mostraChamada(rows.takeFirst());
            // A negative time would be an endless pause: it counts as none.
            const int tempo = display.whileOpen(m_setup.tempoSenha);
            // Tickets called during the wait come before the rest of the pass.
            const QList<TicketRow> novas = espera.espera(qMax(0, tempo));
            rows = novas + rows;
        }
    }
}

void ThChamaSenha::mostraChamada(const TicketRow& row)
{
    DisplayLink& display = *m_setup.display;
    const QString local = asText(row.LOCAL_ATEND).trimmed();
    Atual.Senha = asText(row.SIGLA_SENHA) + QLatin1Char('-') + asText(row.NUMERO_SENHA);
    Atual.Mesa = local + QLatin1Char(' ') + asText(row.NUMERO_MESA).trimmed();
    const QString localCaption = QLatin1Char(' ') + local;
    display.call([localCaption](DisplayView& view) { view.setLocalCaption(localCaption); });

    // 0 marks a priority ticket; a null reads as 0.
    Atual.Preferencial = row.PREFERENCIAL.toInt() == 0 ? QStringLiteral("PREFERENCIAL") : QString();
    const QString preferencial = Atual.Preferencial;
    display.call([preferencial](DisplayView& view) { view.setPreferencialCaption(preferencial); });

    Historico[3] = Historico[2];
    Historico[2] = Historico[1];
    Historico[1] = Historico[0];
    Historico[0] = Atual;
    AtualizaTela();
}

void ThChamaSenha::AtualizaTela()
{
    m_setup.display->call([this](DisplayView& view) { AtualizaTelaNaJanela(view); });
}

void ThChamaSenha::AtualizaTelaNaJanela(DisplayView& view)
{
    // The pointer is moved aside regularly so that it never rests on the panels.
    if (++ContadorAtualizacoes >= 10) {
        platform::services().cursor->setPos(view.outerWidth(), 5);
        ContadorAtualizacoes = 0;
    }

    if (!Atual.Senha.isEmpty() && (view.repetirSom() || Atual.Senha != UltimaSenhaAnunciada)) {
        UltimaSenhaAnunciada = Atual.Senha;
        platform::services().sound->playAsync(somDaChamada());
        // The spoken call follows the chime; it never holds the display up.
        const VozChamada voz = view.voz();
        if (voz.ativa && platform::services().speech)
            platform::services().speech->speak(
                {fraseDaChamada(Atual), ssmlDaChamada(Atual), voz.velocidade, voz.volume});
    }

    ScreenTexts texts;
    texts.NumeroSenha = Atual.Senha;
    texts.NumeroMesa = numeroDaMesa(Atual.Mesa);
    // Rows 2 and 3 are left blank when they repeat the call shown in row 1.
    texts.Linhas[0] = Historico[1];
    if (Historico[2].Senha != Historico[1].Senha)
        texts.Linhas[1] = Historico[2];
    if (Historico[3].Senha != Historico[1].Senha)
        texts.Linhas[2] = Historico[3];
    view.setScreenTexts(texts);
}
