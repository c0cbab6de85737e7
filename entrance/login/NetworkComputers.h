#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace entrance {

// The browser of what the local network announces, as Linux desktops announce a shared
// folder (DNS-SD "_smb._tcp"); used where it is installed.
inline constexpr char NetworkBrowser[] = "avahi-browse";
// The list may take this long before the browser is stopped and what it found is used.
inline constexpr int BrowseTimeoutMs = 10000;

// A computer as one resolved line of the browser announces it: its name, and its host name and
// address (either may be empty), by which it is reached where no name service knows the name.
struct TAnnouncedComputer {
    QString Name;
    QString Host;
    QString Address;
    bool operator==(const TAnnouncedComputer&) const = default;
};

// The computers of the browser's resolved lines, in the order found (a computer comes once
// for each address it announces). A resolved line of its parsable output is
// "=;interface;protocol;name;type;domain;host;address;port;txt", the name escaped as "\032"
// for a byte by its decimal code and "\." for the character itself; other lines say nothing.
QList<TAnnouncedComputer> AnnouncedComputers(const QByteArray& output);

// The computers that announce a shared folder on the local network: none where the browser is
// not installed, those found so far where it fails or takes longer than BrowseTimeoutMs. The
// event loop runs meanwhile, without user input.
QList<TAnnouncedComputer> EnumNetworkComputers();

} // namespace entrance
