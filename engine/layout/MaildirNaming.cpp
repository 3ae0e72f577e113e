#include "engine/layout/MaildirNaming.h"

#include "engine/layout/ModifiedUtf7.h"

namespace {

constexpr qsizetype HashLength = 32;

} // namespace

QByteArray maildirFolderName(QStringList levels)
{
    levels.removeAll(QString());
    if (!levels.isEmpty() && levels.first().compare(QLatin1String("inbox"), Qt::CaseInsensitive) == 0) {
        levels.removeFirst();
        if (levels.isEmpty())
            return {};
        levels.prepend(QStringLiteral("INBOX"));
    }
    QByteArray name;
    for (QString level : std::as_const(levels)) {
        level.replace(QLatin1Char('.'), QChar(0x2024));
        name += '.' + modifiedUtf7(level);
    }
    return name;
}

QByteArray maildirBaseName(qint64 seconds, QByteArrayView hexHash, int copy)
{
    QByteArray name = QByteArray::number(seconds) + ".H" + hexHash.toByteArray();
    if (copy > 1)
        name += '_' + QByteArray::number(copy);
    return name + ".quorvel";
}

QByteArray hashInMaildirName(QByteArrayView fileName)
{
    const qsizetype colon = fileName.indexOf(':');
    const QByteArrayView base = colon < 0 ? fileName : fileName.first(colon);
    const qsizetype dot = base.indexOf('.');
    if (dot < 0 || base.size() < dot + 2 + HashLength || base[dot + 1] != 'H')
        return {};
    const QByteArrayView hash = base.sliced(dot + 2, HashLength);
    QByteArrayView rest = base.sliced(dot + 2 + HashLength);
    if (rest.startsWith('_')) {
        qsizetype digits = 1;
        while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
            ++digits;
        rest = rest.sliced(digits);
    }
    if (rest != QByteArrayView(".quorvel"))
        return {};
    for (const char c : hash)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return {};
    return hash.toByteArray();
}
