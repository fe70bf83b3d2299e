// ADODB.Recordset: the rows of a statement, walked and read through its
// Fields, and for updatable cursors changed, added and deleted.
#pragma once

#include <memory>
#include <string>

#include "ado/field.h"
#include "ado/rowset.h"
#include "frame/dispatch.h"

namespace qxvb::ado {

class Connection;

class Recordset : public Dispatch {
 public:
  Recordset();
  const DispatchTable& dispatchTable() const override;

  // source: statement or table text, or a Command; activeConnection: a
  // Connection or a connection string; missing arguments take the
  // recordset's own properties.
  void Open(const Variant& source = Variant::missing(),
            const Variant& activeConnection = Variant::missing(), int32_t cursorType = -1,
            int32_t lockType = -1, int32_t options = -1);
  // Opens on a statement run by run (Connection.Execute, Command.Execute).
  void openWith(std::shared_ptr<Connection> connection, Rowset::Runner run, const std::string& sql,
                int32_t cursorType, int32_t lockType);
  void Close();
  int32_t State() const { return rowset_->isOpen() ? 1 : 0; }

  bool Eof() const { return rowset_->eof(); }
  bool Bof() const { return rowset_->bof(); }
  void MoveFirst() { rowset_->moveFirst(); }
  void MoveNext() { rowset_->moveNext(); }
  void MovePrevious() { rowset_->movePrevious(); }
  void MoveLast() { rowset_->moveLast(); }
  int32_t RecordCount() const { return rowset_->recordCount(); }
  int32_t AbsolutePosition() const { return rowset_->absolutePosition(); }
  int32_t EditMode() const;

  std::shared_ptr<Fields> FieldsObject() const { return fields_; }
  // The value of a field of the current row, by name or position.
  Variant Collect(const Variant& index) const;
  void setCollect(const Variant& index, const Variant& value);

  void Find(const std::string& criteria, int32_t skipRecords = 0, int32_t searchDirection = 1,
            const Variant& start = Variant::missing());
  // With field names and values the new row is written at once.
  void AddNew(const Variant& fieldList = Variant::missing(),
              const Variant& values = Variant::missing());
  void Update(const Variant& fields = Variant::missing(),
              const Variant& values = Variant::missing());
  void CancelUpdate();
  void Delete(int32_t affectRecords = 1);
  void Requery();

  int32_t CursorLocation() const { return cursorLocation_; }
  void setCursorLocation(int32_t location);
  int32_t CursorType() const { return cursorType_; }
  void setCursorType(int32_t type);
  int32_t LockType() const { return lockType_; }
  void setLockType(int32_t type);
  const std::string& Source() const { return source_; }
  void setSource(const std::string& source);
  std::shared_ptr<Connection> ActiveConnection() const { return connection_; }
  void setActiveConnection(const Variant& connection);

 private:
  void requireClosed() const;
  void setFields(const Variant& names, const Variant& values);

  std::shared_ptr<Rowset> rowset_;
  std::shared_ptr<Fields> fields_;
  std::shared_ptr<Connection> connection_;
  std::string source_;
  int32_t cursorType_ = 0;
  int32_t lockType_ = 1;
  int32_t cursorLocation_ = 2;
  bool locationSet_ = false;
};

}  // namespace qxvb::ado
