#pragma once

#include "base/Component.h"
#include "db/DataSet.h"

#include <QList>
#include <QString>
#include <functional>

class TDataLink;

using TDataChangeEvent = std::function<void(TDataSource* Sender, TField* Field)>;

// Connects a dataset to the data links of controls and detail datasets.
class TDataSource : public TComponent {
    friend class TDataSet;
    friend class TDataLink;

public:
    using TNotifyEvent = std::function<void(TDataSource* Sender)>;

    explicit TDataSource(TComponent* AOwner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool AutoEdit = true;
    TDataSetState State() const { return FState; }
    // Puts the dataset into edit state when AutoEdit allows it.
    void Edit();
    // True when `dataSet` is this source's dataset or one of its masters.
    bool IsLinkedTo(TDataSet* dataSet) const;

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

private:
    void DataEvent(TDataEvent event, const void* info);
    void UpdateState();
    // The dataset is being destroyed: forget it without calling into it.
    void DataSetGone();
    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);

    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    TDataSetState FState = dsInactive;
    QList<TDataLink*> FDataLinks;
};

// A listener on a data source: a control, a report item or a detail dataset. Sees a window
// of BufferCount records of the dataset's buffers.
class TDataLink {
    friend class TDataSet;
    friend class TDataSource;

public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int value);
    // The active record's place in the link's window, and the records in the window.
    int ActiveRecord() const;
    void SetActiveRecord(int value);
    int RecordCount() const;
    // Puts the dataset into edit state; answers whether it is in an edit state.
    bool Edit();
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int distance) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField* field) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* field) {}
    virtual void UpdateData() {}
    virtual void DataEvent(TDataEvent event, const void* info);

private:
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    void UpdateRange();

    TDataSource* FDataSource = nullptr;
    int FFirstRecord = 0;
    int FBufferCount = 1;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
};

// The link of a detail dataset to its master's data source.
class TDetailDataLink : public TDataLink {
public:
    virtual TDataSet* GetDetailDataSet() { return nullptr; }
};

// The link of a control or report item to one field of a data source.
class TFieldDataLink : public TDataLink {
public:
    const QString& FieldName() const { return FFieldName; }
    void SetFieldName(const QString& value);
    TField* Field() const { return FField; }
    bool CanModify() const;
    // The control's text changed: remember to write it back before a post.
    void Modified() { FModified = true; }
    // Drops what the control holds and shows the field's value again.
    void Reset();

    std::function<void()> OnDataChange;
    std::function<void()> OnActiveChange;
    std::function<void()> OnEditingChange;
    // Asked to write the control's value into the field.
    std::function<void()> OnUpdateData;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;
    void FocusControl(TField* field) override {}

private:
    void UpdateField();

    QString FFieldName;
    TField* FField = nullptr;
    bool FModified = false;
};
