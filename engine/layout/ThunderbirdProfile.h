#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Finding a Thunderbird profile and its Local Folders, as Thunderbird itself
// chooses the profile it starts with.

struct ThunderbirdProfile {
    QString name;
    QString path;  // absolute
};

struct ProfileList {
    QList<ThunderbirdProfile> profiles;
    int defaultIndex = -1;  // the one Thunderbird starts with, when one is
};

// Where profiles.ini is looked for below home, in this order: Thunderbird's
// own folder, Flatpak's and Snap's.
QStringList thunderbirdHomes(const QString &home);

// The profiles in thunderbirdHome's profiles.ini. The default is that of the
// installation (installs.ini, or an [Install…] section of profiles.ini),
// else the profile marked Default=1, else the only one.
ProfileList readProfiles(const QString &thunderbirdHome);

struct ProfileChoice {
    QString path;     // the profile's folder, when found
    QString problem;  // in words, when not
};

// wanted: empty for the default profile of the first of thunderbirdHomes
// that has one; a profile's name; or the path of a profile folder.
ProfileChoice findThunderbirdProfile(const QString &home, const QString &wanted);

// Thunderbird holds a POSIX lock on the profile's .parentlock while it runs
// (the "lock" link it leaves can outlive it, and proves nothing).
bool profileInUse(const QString &profile);

// The profile path lies in: the nearest folder at or above it, links
// resolved and a part not made yet passed over, that holds prefs.js or
// .parentlock; empty when there is none.
QString profileHolding(const QString &path);

// The profile's Local Folders, as prefs.js places them (Mail/Local Folders
// when it does not say); empty when there is none.
QString localFoldersOf(const QString &profile);
