#include "AllowedClients.h"

#include "ErrorLog.h"

#include "base/DateTime.h"
#include "base/Registry.h"

#include <QRegularExpression>

namespace reruzida {

namespace {

// An IPv4 client of a dual-stack server shows as ::ffff:a.b.c.d: compare it as IPv4.
QHostAddress Plain(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

} // namespace

QList<TAllowedClients::TSubnet> TAllowedClients::Parse(const QString& text, QStringList* invalid) {
    QList<TSubnet> subnets;
    static const QRegularExpression separators("[\\s,;]+");
    for (const QString& entry : text.split(separators, Qt::SkipEmptyParts)) {
        TSubnet subnet;
        if (entry.contains('/')) {
            subnet = QHostAddress::parseSubnet(entry);
        } else if (const QHostAddress address = Plain(QHostAddress(entry)); !address.isNull()) {
            subnet = {address, address.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128};
        }
        if (subnet.first.isNull() || subnet.second < 0) {
            if (invalid)
                *invalid << entry;
            continue;
        }
        subnets << subnet;
    }
    return subnets;
}

QList<TAllowedClients::TSubnet> TAllowedClients::LocalSubnets() {
    QList<TSubnet> subnets;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces())
        for (const QNetworkAddressEntry& entry : interface.addressEntries())
            if (entry.prefixLength() >= 0)
                subnets << TSubnet(entry.ip(), entry.prefixLength());
    return subnets;
}

TAllowedClients TAllowedClients::FromSetting() {
    TRegistry reg;
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    const QString text = reg.OpenKey(AppRegistryKey, false)
                             ? reg.ReadString(AllowedClientsValue).trimmed()
                             : QString();
    if (text.isEmpty())
        return TAllowedClients();
    QStringList invalid;
    TAllowedClients allowed(Parse(text, &invalid));
    if (!invalid.isEmpty())
        ErrorLog().WriteErrorLog(
            QString(AllowedClientsValue) +
                " の次の項目はアドレスではないため無視します: " + invalid.join(' '),
            Now());
    return allowed;
}

TAllowedClients::TAllowedClients(QList<TSubnet> subnets, TOwnAddresses ownAddresses)
    : FSubnets(std::move(subnets)), FOwnAddresses(std::move(ownAddresses)) {}

bool TAllowedClients::Allows(const QHostAddress& address) const {
    const QHostAddress peer = Plain(address);
    if (peer.isLoopback())
        return true;
    // The machine itself, by any of its addresses.
    for (const QHostAddress& own : FOwnAddresses())
        if (Plain(own).isEqual(peer))
            return true;
    for (const TSubnet& subnet : FSubnets)
        if (peer.isInSubnet(subnet))
            return true;
    return false;
}

} // namespace reruzida
