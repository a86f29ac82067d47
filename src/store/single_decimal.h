#pragma once

struct sqlite3;

namespace vlr::store {

// The decimal a received number stands for. Data_Comm holds singles, so a received 5204.7 is
// the single 5204.7002; its shortest decimal text that reads back as the same single is
// "5204.7", and that text, rounded to 5 decimals, is what a Decimal(18,5) column keeps. A
// number that is no single keeps its own shortest text, rounded the same way.
double decimalOfSingle(double value);

// Gives the connection's statements decimalOfSingle as the SQL function single_decimal(x):
// numbers are converted, null and anything else pass unchanged. Throws StoreError on failure.
void addSingleDecimalFunction(sqlite3* connection);

}  // namespace vlr::store
