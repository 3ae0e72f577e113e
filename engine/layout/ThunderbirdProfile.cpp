#include "engine/layout/ThunderbirdProfile.h"

#include "engine/support/FileDescriptor.h"
#include "engine/support/FileNames.h"
#include "engine/support/PathOnDisk.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using IniSection = QHash<QString, QString>;

// Thunderbird's ini files: sections in their order, "key=value" lines.
QList<QPair<QString, IniSection>> readIni(const QString &path)
{
    QList<QPair<QString, IniSection>> sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sections;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            sections.append({QString::fromUtf8(line.mid(1, line.size() - 2)), {}});
        } else if (const qsizetype equals = line.indexOf('='); equals > 0 && !sections.isEmpty()) {
            sections.last().second.insert(QString::fromUtf8(line.left(equals).trimmed()),
                                          nameFromNative(line.mid(equals + 1).trimmed()));
        }
    }
    return sections;
}

bool exists(const QString &path, bool folder)
{
    struct stat info {};
    if (::stat(nativeName(path).constData(), &info) != 0)
        return false;
    return folder ? S_ISDIR(info.st_mode) : true;
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QStringList thunderbirdHomes(const QString &home)
{
    return {joined(home, QStringLiteral(".thunderbird")),
            joined(home, QStringLiteral(".var/app/org.mozilla.Thunderbird/.thunderbird")),
            joined(home, QStringLiteral("snap/thunderbird/common/.thunderbird"))};
}

ProfileList readProfiles(const QString &thunderbirdHome)
{
    ProfileList list;
    QStringList installDefaults;
    for (const auto &[name, keys] : readIni(joined(thunderbirdHome, QStringLiteral("installs.ini"))))
        if (keys.contains(QStringLiteral("Default")))
            installDefaults.append(keys.value(QStringLiteral("Default")));
    int markedDefault = -1;
    for (const auto &[name, keys] : readIni(joined(thunderbirdHome, QStringLiteral("profiles.ini")))) {
        if (name.startsWith(QLatin1String("Install")) && keys.contains(QStringLiteral("Default"))) {
            installDefaults.append(keys.value(QStringLiteral("Default")));
        } else if (name.startsWith(QLatin1String("Profile")) && keys.contains(QStringLiteral("Path"))) {
            const QString path = keys.value(QStringLiteral("Path"));
            const bool relative = keys.value(QStringLiteral("IsRelative"), QStringLiteral("1")) == QLatin1String("1");
            if (keys.value(QStringLiteral("Default")) == QLatin1String("1"))
                markedDefault = int(list.profiles.size());
            list.profiles.append({keys.value(QStringLiteral("Name")),
                                  withoutTrailingSlash(relative ? joined(thunderbirdHome, path) : path)});
        }
    }
    for (const QString &wanted : std::as_const(installDefaults)) {
        const QString path = withoutTrailingSlash(wanted.startsWith(QLatin1Char('/')) ? wanted : joined(thunderbirdHome, wanted));
        for (qsizetype k = 0; k < list.profiles.size(); ++k)
            if (list.profiles[k].path == path) {
                list.defaultIndex = int(k);
                return list;
            }
    }
    list.defaultIndex = markedDefault >= 0 ? markedDefault : list.profiles.size() == 1 ? 0 : -1;
    return list;
}

ProfileChoice findThunderbirdProfile(const QString &home, const QString &wanted)
{
    const QStringList homes = thunderbirdHomes(home);
    if (!wanted.isEmpty() && (wanted.contains(QLatin1Char('/')) || exists(wanted, true))) {
        if (!exists(wanted, true))
            return {{}, QStringLiteral("no profile folder %1").arg(wanted)};
        return {withoutTrailingSlash(absolutePath(wanted)), {}};
    }
    bool anyList = false;
    for (const QString &folder : homes) {
        const ProfileList list = readProfiles(folder);
        anyList = anyList || !list.profiles.isEmpty();
        if (wanted.isEmpty()) {
            if (list.defaultIndex >= 0)
                return {list.profiles[list.defaultIndex].path, {}};
            continue;
        }
        for (const ThunderbirdProfile &profile : list.profiles)
            if (profile.name == wanted)
                return {profile.path, {}};
    }
    const QString where = QStringLiteral(" (looked in ") + homes.join(QStringLiteral(", ")) + QLatin1Char(')');
    if (!anyList)
        return {{}, QStringLiteral("no Thunderbird profile found") + where};
    if (wanted.isEmpty())
        return {{}, QStringLiteral("no default Thunderbird profile: name one with --into-thunderbird=PROFILE") + where};
    return {{}, QStringLiteral("no Thunderbird profile named '%1'").arg(wanted) + where};
}

bool profileInUse(const QString &profile)
{
    const FileDescriptor fd(::open(nativeName(joined(profile, QStringLiteral(".parentlock"))).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd.get(), F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

QString profileHolding(const QString &path)
{
    QString folder = withoutTrailingSlash(absolutePath(path));
    // A destination reached through a link is in the profile the link leads to.
    char *real = nullptr;
    while (!(real = ::realpath(nativeName(folder).constData(), nullptr))) {
        if (folder == QLatin1String("/"))
            return {};
        folder = folder.left(qMax<qsizetype>(folder.lastIndexOf(QLatin1Char('/')), 1));
    }
    folder = nameFromNative(real);
    std::free(real);
    for (;;) {
        if (exists(joined(folder, QStringLiteral("prefs.js")), false) || exists(joined(folder, QStringLiteral(".parentlock")), false))
            return folder;
        if (folder == QLatin1String("/"))
            return {};
        folder = folder.left(qMax<qsizetype>(folder.lastIndexOf(QLatin1Char('/')), 1));
    }
}

QString localFoldersOf(const QString &profile)
{
    QString folder = joined(profile, QStringLiteral("Mail/Local Folders"));
    QFile prefs(joined(profile, QStringLiteral("prefs.js")));
    if (prefs.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(prefs.readAll());
        auto pref = [&text](const QString &name) {
            const QRegularExpression line(QStringLiteral("user_pref\\(\"%1\",\\s*\"((?:[^\"\\\\]|\\\\.)*)\"\\);")
                                              .arg(QRegularExpression::escape(name)));
            QString value = line.match(text).captured(1);
            return value.replace(QLatin1String("\\\\"), QLatin1String("\\")).replace(QLatin1String("\\\""), QLatin1String("\""));
        };
        if (const QString server = pref(QStringLiteral("mail.accountmanager.localfoldersserver")); !server.isEmpty()) {
            const QString relative = pref(QStringLiteral("mail.server.%1.directory-rel").arg(server));
            const QString absolute = pref(QStringLiteral("mail.server.%1.directory").arg(server));
            if (relative.startsWith(QLatin1String("[ProfD]")))
                folder = joined(profile, relative.mid(7));
            else if (!absolute.isEmpty())
                folder = absolute;
        }
    }
    return exists(folder, true) ? withoutTrailingSlash(folder) : QString();
}
