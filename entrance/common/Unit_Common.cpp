#include "Unit_Common.h"

#include "base/Registry.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <algorithm>

namespace entrance {

namespace {

void OpenAppKey(TRegistry& registry) {
    registry.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    registry.OpenKey(AppRegistryKey, true);
}

bool IsIPv4(const QHostAddress& address) {
    return address.protocol() == QAbstractSocket::IPv4Protocol;
}

QHostAddress FirstIPv4(const QList<QHostAddress>& addresses, bool skipLoopback) {
    for (const QHostAddress& address : addresses)
        if (IsIPv4(address) && !(skipLoopback && address.isLoopback()))
            return address;
    return QHostAddress();
}

} // namespace

bool WriteAppRegistry(const QString& name, const QString& value) {
    try {
        TRegistry registry;
        OpenAppKey(registry);
        registry.WriteString(name, value);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

QString ReadAppRegistry(const QString& name) {
    try {
        TRegistry registry;
        OpenAppKey(registry);
        return registry.ReadString(name);
    } catch (const Exception&) {
        return QString();
    }
}

int SetAutoDial(int) {
    return -1;
}

namespace {

QString ResolvedIPv4(const QString& host) {
    const QList<QHostAddress> addresses = QHostInfo::fromName(host).addresses();
    QHostAddress address = FirstIPv4(addresses, true);
    if (!address.isNull())
        return address.toString();
    const QHostAddress loopback = FirstIPv4(addresses, false);
    if (loopback.isNull())
        return "NA";
    address = FirstIPv4(QNetworkInterface::allAddresses(), true);
    return (address.isNull() ? loopback : address).toString();
}

QString AnnouncedKey(const QString& name) {
    return StrConv(name.trimmed(), SC_UPPERCASE);
}

} // namespace

QString HostToIPStr(const QString& host) {
    QStringList places = EntranceSession().AnnouncedHosts.value(AnnouncedKey(host));
    // Addresses first: a host name may wait on a name service that does not know it.
    std::stable_partition(places.begin(), places.end(),
                          [](const QString& p) { return !QHostAddress(p).isNull(); });
    for (const QString& place : places) {
        const QString address = ResolvedIPv4(place);
        if (address != "NA")
            return address;
    }
    return ResolvedIPv4(host);
}

void ForgetAnnouncedHosts() {
    EntranceSession().AnnouncedHosts.clear();
}

void RememberAnnouncedHost(const QString& name, const QString& where) {
    QStringList& places = EntranceSession().AnnouncedHosts[AnnouncedKey(name)];
    if (!where.isEmpty() && !places.contains(where))
        places << where;
}

} // namespace entrance
