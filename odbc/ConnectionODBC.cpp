#include "ConnectionODBC.h"

#include "odbc/ODBCScreen.h"

TConnectionODBC::TConnectionODBC(TComponent* AOwner) : TComponent(AOwner) {
    FClones.reserve(16);
    SetOrigin(nullptr);
}

TConnectionODBC::~TConnectionODBC() {
    Destroying();
    for (TCustomQueryODBC* query : QList<TCustomQueryODBC*>(FClones)) {
        try {
            query->CloseCursor(false);
        } catch (const Exception&) {
        }
        query->DropConnection();
        query->FExecuted = query->FPrepared = false;
        query->FClone = nullptr;
    }
    FClones.clear();
    FOrigin->FClone = nullptr;
    FOrigin->FCloneOrigin = false;
    FCreatedOrigin.reset();
}

// Frees the origin this connection made, without it handing the connection back.
void TConnectionODBC::ReleaseCreatedOrigin() {
    if (!FCreatedOrigin)
        return;
    FCreatedOrigin->FClone = nullptr;
    FCreatedOrigin->FCloneOrigin = false;
    FCreatedOrigin.reset();
}

void TConnectionODBC::RaiseError(const QString& text) const {
    RaiseComponentError(Name(), text);
}

std::unique_ptr<TCustomQueryODBC> TConnectionODBC::CreateOrigin() {
    return std::make_unique<TCustomQueryODBC>();
}

void TConnectionODBC::RenewCreatedOrigin() {
    ReleaseCreatedOrigin();
    FOrigin = nullptr;
    SetOrigin(nullptr);
}

void TConnectionODBC::SetOrigin(TCustomQueryODBC* value) {
    if (FOrigin && value == FOrigin)
        return;
    if (FOwnsOrigin && FOrigin && FOrigin->IsDestroying())
        return;
    if (FOrigin && FOrigin->Connected())
        RaiseError("Unable to this action during connected");
    TCustomQueryODBC* old = FOrigin;
    if (value) {
        if (old)
            value->CopyConnection(*old, false);
        if (value->FClone && value->FClone != this) {
            TConnectionODBC* other = value->FClone;
            if (value->FCloneOrigin)
                other->SetOrigin(nullptr);
            other->RemoveClone(value);
        }
        FClones.removeAll(value);
    }
    // An assigned origin that is replaced stays with the connection as a clone.
    if (old && !FOwnsOrigin && !old->IsDestroying() && old->FClone == this) {
        old->FCloneOrigin = false;
        AddClone(old);
    }
    std::unique_ptr<TCustomQueryODBC> created;
    if (!value) {
        created = CreateOrigin();
        created->SetName("OriginQueryODBC");
        created->Comment = "dynamic created.";
        value = created.get();
    }
    ReleaseCreatedOrigin();
    FCreatedOrigin = std::move(created);
    FOwnsOrigin = bool(FCreatedOrigin);
    FOrigin = value;
    FOrigin->FClone = this;
    FOrigin->FCloneOrigin = true;
}

void TConnectionODBC::AddClone(TCustomQueryODBC* query) {
    if (!FClones.contains(query))
        FClones.append(query);
}

void TConnectionODBC::RemoveClone(TCustomQueryODBC* query) {
    if (!FClones.contains(query))
        return;
    if (query->Connected())
        FOrigin->CloneDisconnect(query);
    FClones.removeAll(query);
}

void TConnectionODBC::EndTransaction(bool commit) {
    if (commit)
        FOrigin->Commit();
    else
        FOrigin->Rollback();
    if (FTransactionStarted) {
        FOrigin->SetTransaction(false);
        FTransactionStarted = false;
    }
}

void TConnectionODBC::Commit() {
    EndTransaction(true);
}

void TConnectionODBC::Rollback() {
    EndTransaction(false);
}

void TConnectionODBC::StartTransaction() {
    if (FTransactionStarted)
        RaiseError("Transaction already started.");
    if (FOrigin->Transaction())
        RaiseError("Transaction property already True.");
    if (FOrigin->Connected()) {
        SQLUSMALLINT behaviour = 0;
        FOrigin->Call("GetInfo");
        const SQLRETURN rc = FOrigin->FCLI->SQLGetInfo(
            FOrigin->FHDbc, SQLUSMALLINT(SQL_CURSOR_COMMIT_BEHAVIOR), &behaviour,
            SQLSMALLINT(sizeof(behaviour)), (SQLSMALLINT*)nullptr);
        if (SQL_SUCCEEDED(rc) && behaviour != SQL_CB_PRESERVE)
            for (TCustomQueryODBC* query : QList<TCustomQueryODBC*>(FClones))
                if (query->Executed())
                    query->CloseCursor(true);
    }
    FOrigin->SetTransaction(true);
    FTransactionStarted = true;
}

TCloneODBC::TCloneODBC(TComponent* AOwner) : TConnectionODBC(AOwner) {
    RenewCreatedOrigin();
}

void TCloneODBC::SetWaitCursor(bool on) {
    ShowSQLWaitCursor(on);
}

std::unique_ptr<TCustomQueryODBC> TCloneODBC::CreateOrigin() {
    return std::make_unique<TQryIntODBC>();
}

// ---- the clone side of a query ----

void TCustomQueryODBC::SetClone(TConnectionODBC* value) {
    if (value == FClone)
        return;
    if (!FClone || FCloneOrigin)
        CheckNotConnected();
    if (FClone) {
        if (FCloneOrigin)
            SetCloneOrigin(false);
        FClone->RemoveClone(this);
        FClone = nullptr;
    }
    if (!value)
        return;
    if (FCloneOrigin) {
        value->SetOrigin(this);
        return;
    }
    FClone = value;
    value->AddClone(this);
    if (value->OriginQuery().Connected())
        value->OriginQuery().CloneConnect(this);
}

void TCustomQueryODBC::SetCloneOrigin(bool value) {
    if (value == FCloneOrigin)
        return;
    CheckNotConnected();
    if (!FClone) {
        FCloneOrigin = value;
        return;
    }
    if (value)
        FClone->SetOrigin(this);
    else
        FClone->SetOrigin(nullptr);
}

void TCustomQueryODBC::CopyConnection(const TCustomQueryODBC& source, bool withProperties) {
    FDriverConnect = source.FDriverConnect;
    FUseUserName = source.FUseUserName;
    FTransIsolation = source.FTransIsolation;
    FConnCursorType = source.FConnCursorType;
    FStatementSetsBookmarks = source.FStatementSetsBookmarks;
    FCaps = source.FCaps;
    if (withProperties) {
        FDSName = source.FDSName;
        FUserID = source.FUserID;
        FPassword = source.FPassword;
        FConnectInfo = source.FConnectInfo;
        FReadOnly = source.FReadOnly;
        FTransaction = source.FTransaction;
        FCursorType = source.FCursorType;
        FODBCVersion = source.FODBCVersion;
        FFetchScroll = source.FFetchScroll;
    } else {
        if (!source.FDSName.isEmpty())
            SetDSName(source.FDSName);
        if (!source.FUserID.isEmpty())
            SetUserID(source.FUserID);
        if (!source.FPassword.isEmpty())
            SetPassword(source.FPassword);
        if (!source.FConnectInfo.isEmpty())
            SetConnectInfo(source.FConnectInfo);
        if (source.FReadOnly)
            SetReadOnly(true);
        if (source.FTransaction)
            SetTransaction(true);
        if (source.FCursorType != qoKeyset)
            SetCursorType(source.FCursorType);
        if (source.FODBCVersion != ODBC20)
            SetODBCVersion(source.FODBCVersion);
        if (!source.FFetchScroll)
            SetFetchScroll(false);
    }
    // Only a live connection is shared; a closed one keeps this query's own binding.
    if (source.FConnected) {
        FCLI = source.FCLI;
        FHEnv = source.FHEnv;
        FHDbc = source.FHDbc;
        FConnected = true;
    }
}

void TCustomQueryODBC::CloneConnect(TCustomQueryODBC* query) {
    if (!FClone || !FCloneOrigin)
        RaiseInternalError("CloneConnect Internal error.");
    const QList<TCustomQueryODBC*> targets = query ? QList{query} : FClone->Clones();
    for (TCustomQueryODBC* clone : targets) {
        clone->CopyConnection(*this, true);
        clone->NotifyState(qoConnected);
    }
}

void TCustomQueryODBC::CloneDisconnect(TCustomQueryODBC* query) {
    if (!FClone || !FCloneOrigin)
        RaiseInternalError("CloneDisconnect Internal error.");
    const QList<TCustomQueryODBC*> targets = query ? QList{query} : FClone->Clones();
    for (TCustomQueryODBC* clone : targets) {
        clone->NotifyState(qoDisconnecting);
        clone->ReleaseStatements(false);
        clone->DropConnection();
        clone->NotifyState(qoDisconnected);
    }
}

void TCustomQueryODBC::DropConnection() {
    FCLI = FOwnCLI.get();
    FHEnv = nullptr;
    FHDbc = nullptr;
    FConnected = false;
}
