// A table's rows as a scan delivers them: each value checked against the
// field it goes into, the row's problems told, and the row delivered, left
// out or the scan failed; the cursor that steps a statement through them.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "standin/tables/sqlite_connection.h"
#include "standin/tables/sqlite_values.h"
#include "standin/tables/store.h"

namespace standin::sqlite {

// What a scan does with a row whose values it checked.
enum class Verdict : std::uint8_t { Deliver, LeaveOut, Fail };

// Reports every value of the row that its field cannot hold as it is.
// A value that cannot be delivered at all leaves the row out, or fails the
// scan where leaving it out would change a result (an invoice's positions).
Verdict CheckRow(sqlite3_stmt* s, std::initializer_list<tables::Checked> checked, const char* table,
                 int rowid_index, std::string (*key)(sqlite3_stmt*), tables::Consequence hard);

// How a problem names the invoice of its row.
std::string InvoiceKey(sqlite3_stmt* s);

using Fill = Verdict (*)(sqlite3_stmt*, RowView&);

Verdict FillPosition(sqlite3_stmt* s, RowView& row);
Verdict FillCatalogue(sqlite3_stmt* s, RowView& row);
Verdict FillGoods(sqlite3_stmt* s, RowView& row);
Verdict FillCode(sqlite3_stmt* s, RowView& row);

class StatementCursor final : public RowCursor {
 public:
  StatementCursor(std::shared_ptr<Connection> connection, Query query, Fill fill)
      : lease_(std::move(connection), query), fill_(fill) {}

  sqlite3_stmt* statement() const { return lease_.get(); }

  Step Next(RowView& row) override {
    while (!done_) {
      switch (sqlite3_step(lease_.get())) {
        case SQLITE_ROW:
          switch (fill_(lease_.get(), row)) {
            case Verdict::Deliver: return Step::Row;
            case Verdict::LeaveOut: continue;
            case Verdict::Fail: done_ = true; return Step::Failed;
          }
          continue;
        case SQLITE_DONE:
          done_ = true;
          return Step::End;
        default:
          return Step::Failed;
      }
    }
    return Step::End;
  }

 private:
  Lease lease_;
  Fill fill_;
  bool done_ = false;
};
}  // namespace standin::sqlite
