#include "display/FraseChamada.h"

#include <QStringList>

namespace {

// One word of the phrase; letters are spelt.
struct Palavra {
    QString texto;
    bool soletrar = false;
};

// A sentence is its words; the phrase is its sentences.
using Sentenca = QList<Palavra>;

bool soDigitos(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isDigit())
            return false;
    return true;
}

// A number as a listener hears it: 007 is seven. Anything else is kept.
QString numero(const QString& text)
{
    if (!soDigitos(text))
        return text;
    int inicio = 0;
    while (inicio < text.size() - 1 && text[inicio] == QLatin1Char('0'))
        ++inicio;
    return text.mid(inicio);
}

bool umaLetra(const QString& word)
{
    return word.size() == 1 && word[0].isLetter();
}

// A place name stored in capitals (MESA, GUICHÊ, SALA A) in ordinary case:
// the first word capitalised, the others in lower case, single letters kept
// as capitals since they are spelt.
Sentenca local(const QString& stored)
{
    Sentenca words;
    const QStringList parts = stored.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (umaLetra(part)) {
            words.append({part.toUpper(), true});
            continue;
        }
        QString word = part.toLower();
        if (words.isEmpty())
            word[0] = word[0].toUpper();
        words.append({word});
    }
    return words;
}

// The phrase of a call, or nothing for the empty call. Senha is the letter,
// "-" and the number (F-7); Mesa is the place, a blank and the desk number
// (MESA 2, SALA A 5, " 5" without a place, "MESA " without a number).
QList<Sentenca> sentencas(const TChamadaSenha& chamada)
{
    if (chamada.Senha.isEmpty())
        return {};

    Sentenca senha{{QStringLiteral("Senha")}};
    if (!chamada.Preferencial.isEmpty())
        senha.append({QStringLiteral("preferencial")});
    const int traco = chamada.Senha.indexOf(QLatin1Char('-'));
    const QString letra = (traco < 0 ? chamada.Senha : chamada.Senha.left(traco)).trimmed();
    const QString numeroSenha = traco < 0 ? QString() : chamada.Senha.mid(traco + 1).trimmed();
    if (!letra.isEmpty())
        senha.append({letra, true});
    if (!numeroSenha.isEmpty())
        senha.append({numero(numeroSenha)});

    const int branco = chamada.Mesa.lastIndexOf(QLatin1Char(' '));
    const QString lugar = branco < 0 ? QString() : chamada.Mesa.left(branco).trimmed();
    const QString numeroMesa = (branco < 0 ? chamada.Mesa : chamada.Mesa.mid(branco + 1)).trimmed();
    Sentenca mesa = local(lugar);
    // A desk without a place name is still a desk to the listener.
    if (mesa.isEmpty() && !numeroMesa.isEmpty())
        mesa.append({QStringLiteral("Mesa")});
    if (!numeroMesa.isEmpty())
        mesa.append({numero(numeroMesa)});

    QList<Sentenca> result{senha};
    if (!mesa.isEmpty())
        result.append(mesa);
    return result;
}

QString escapa(const QString& text)
{
    return text.toHtmlEscaped();
}

} // namespace

QString fraseDaChamada(const TChamadaSenha& chamada)
{
    QStringList frases;
    for (const Sentenca& sentenca : sentencas(chamada)) {
        QStringList words;
        for (const Palavra& p : sentenca)
            words.append(p.texto);
        frases.append(words.join(QLatin1Char(' ')) + QLatin1Char('.'));
    }
    return frases.join(QLatin1Char(' '));
}

QString ssmlDaChamada(const TChamadaSenha& chamada)
{
    const QList<Sentenca> frases = sentencas(chamada);
    if (frases.isEmpty())
        return {};
    QStringList partes;
    for (const Sentenca& sentenca : frases) {
        QStringList words;
        for (const Palavra& p : sentenca)
            words.append(p.soletrar
                             ? QStringLiteral("<say-as interpret-as=\"characters\">%1</say-as>").arg(escapa(p.texto))
                             : escapa(p.texto));
        partes.append(words.join(QLatin1Char(' ')) + QLatin1Char('.'));
    }
    return QStringLiteral("<speak>") + partes.join(QLatin1Char(' ')) + QStringLiteral("</speak>");
}
