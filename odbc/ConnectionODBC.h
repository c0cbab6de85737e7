#pragma once

#include "odbc/ODBCCore.h"

#include <QList>
#include <memory>

// One ODBC connection shared by several queries: its origin connects, its clones use the
// origin's handles and so its transaction.
class TConnectionODBC : public TComponent {
public:
    explicit TConnectionODBC(TComponent* AOwner = nullptr);
    ~TConnectionODBC() override;

    // The assigned origin; nil when the connection made its own.
    TCustomQueryODBC* Origin() const { return FOwnsOrigin ? nullptr : FOrigin; }
    void SetOrigin(TCustomQueryODBC* value);
    // The query that makes the connection, assigned or made here.
    TCustomQueryODBC& OriginQuery() const { return *FOrigin; }
    const QList<TCustomQueryODBC*>& Clones() const { return FClones; }
    void AddClone(TCustomQueryODBC* query);
    void RemoveClone(TCustomQueryODBC* query);

    // The origin's properties and events.
    const QString& ConnectInfo() const { return FOrigin->ConnectInfo(); }
    void SetConnectInfo(const QString& value) { FOrigin->SetConnectInfo(value); }
    TqoCursorType CursorType() const { return FOrigin->CursorType(); }
    void SetCursorType(TqoCursorType value) { FOrigin->SetCursorType(value); }
    bool DriverConnect() const { return FOrigin->DriverConnect(); }
    void SetDriverConnect(bool value) { FOrigin->SetDriverConnect(value); }
    const QString& DSName() const { return FOrigin->DSName(); }
    void SetDSName(const QString& value) { FOrigin->SetDSName(value); }
    bool FetchScroll() const { return FOrigin->FetchScroll(); }
    void SetFetchScroll(bool value) { FOrigin->SetFetchScroll(value); }
    const QString& LibraryName() const { return FOrigin->LibraryName; }
    void SetLibraryName(const QString& value) { FOrigin->LibraryName = value; }
    TqoODBCVersion ODBCVersion() const { return FOrigin->ODBCVersion(); }
    void SetODBCVersion(TqoODBCVersion value) { FOrigin->SetODBCVersion(value); }
    const QString& Password() const { return FOrigin->Password(); }
    void SetPassword(const QString& value) { FOrigin->SetPassword(value); }
    bool ReadOnly() const { return FOrigin->ReadOnly(); }
    void SetReadOnly(bool value) { FOrigin->SetReadOnly(value); }
    bool Transaction() const { return FOrigin->Transaction(); }
    void SetTransaction(bool value) { FOrigin->SetTransaction(value); }
    TqoTxnIsolation TransIsolation() const { return FOrigin->TransIsolation(); }
    void SetTransIsolation(TqoTxnIsolation value) { FOrigin->SetTransIsolation(value); }
    const QString& UserID() const { return FOrigin->UserID(); }
    void SetUserID(const QString& value) { FOrigin->SetUserID(value); }
    bool UseUserName() const { return FOrigin->UseUserName(); }
    void SetUseUserName(bool value) { FOrigin->SetUseUserName(value); }
    TqoNotifyEvent& AfterCommit() { return FOrigin->AfterCommit; }
    TqoNotifyEvent& AfterConnect() { return FOrigin->AfterConnect; }
    TqoNotifyEvent& AfterDisconnect() { return FOrigin->AfterDisconnect; }
    TqoNotifyEvent& AfterRollback() { return FOrigin->AfterRollback; }
    TqoNotifyEvent& BeforeCommit() { return FOrigin->BeforeCommit; }
    TqoNotifyEvent& BeforeConnect() { return FOrigin->BeforeConnect; }
    TqoNotifyEvent& BeforeDisconnect() { return FOrigin->BeforeDisconnect; }
    TqoNotifyEvent& BeforeRollback() { return FOrigin->BeforeRollback; }

    virtual void SetWaitCursor(bool on) {}
    virtual std::unique_ptr<TCustomQueryODBC> CreateOrigin();
    virtual void Connect() { FOrigin->Connect(); }
    virtual void Disconnect() { FOrigin->Disconnect(); }
    virtual void Commit();
    virtual void Rollback();
    virtual void StartTransaction();
    [[noreturn]] void RaiseError(const QString& text) const;

protected:
    // Replaces the origin made by the constructor with one of CreateOrigin's kind.
    void RenewCreatedOrigin();

private:
    void EndTransaction(bool commit);
    void ReleaseCreatedOrigin();

    TCustomQueryODBC* FOrigin = nullptr;
    std::unique_ptr<TCustomQueryODBC> FCreatedOrigin;
    bool FOwnsOrigin = false;
    QList<TCustomQueryODBC*> FClones;
    bool FTransactionStarted = false;
};

// The shared connection placed on forms: the wait cursor on the screen, a TQryIntODBC origin.
class TCloneODBC : public TConnectionODBC {
public:
    explicit TCloneODBC(TComponent* AOwner = nullptr);
    void SetWaitCursor(bool on) override;
    std::unique_ptr<TCustomQueryODBC> CreateOrigin() override;
};
