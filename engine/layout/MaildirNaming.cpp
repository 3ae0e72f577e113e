#include "engine/layout/MaildirNaming.h"

#include "engine/layout/ModifiedUtf7.h"

namespace {

constexpr qsizetype HashLength = 32;

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

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

MaildirTarget maildirTargetFor(const MboxNaming &naming, const QString &source, qsizetype nameStart)
{
    const QString root = withSlash(naming.destination);
    if (naming.rule == MboxNaming::Rule::Single)
        return {root, root};
    const QString path = naming.rule == MboxNaming::Rule::Relative ? source.mid(nameStart) : source;
    QStringList levels = path.split(QLatin1Char('/'));
    levels.removeLast();  // the message's own name
    const QByteArray folder = maildirFolderName(levels);
    if (folder.isEmpty())
        return {root, root};
    return {root, root + QString::fromLatin1(folder) + QLatin1Char('/')};
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
