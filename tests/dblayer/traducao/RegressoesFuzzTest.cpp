// Inputs that once made the translation loop or read out of range.

#include <gtest/gtest.h>

#include "dblayer/traducao/ConverteSQL.h"

namespace {

const char* const kDrivers[] = {"FB", "Ora", "PG", "MSSQL", "SQLite"};

// Each must simply come back, on every driver.
const char* const kEntradas[] = {
    // POSITION(a IN b) followed by a comma later in the text: read as the
    // comma form, the call grew on each pass.
    "SELECT POSITION(a IN b) POSITION(c IN d), x FROM T",
    // A star whose qualifier holds a ")" was found again and again.
    "SELECT DISTINCT (F).* FROM FAL_001 F",
    "  SELECT DISTINCT F.* FROM F F",
    // Constructs and calls without their closing character.
    "FIRST[ LIST[ HORA[ WEEK_NUMBER[",
    "SELECT UDF_WEEKDAY( KO_BLOB( UDF_DAYSPAN( FROM T",
    // Names at the very end of the text.
    "UDF_MINUTESBETWEEN", "UDF_NVL", "UDF_HOUR", "SUBSTRING", "POSITION(", "AS",
    "SUBSTRINGINGING FROM FOR ",
    "LIST[x, 'LIST[', y]",
};

TEST(RegressoesFuzz, TraducaoTermina)
{
    const ListaColunasFn colunas = [](const QString& tabela) { return QStringList{tabela + "1", "*"}; };
    for (const char* driver : kDrivers) {
        for (const char* entrada : kEntradas) {
            SCOPED_TRACE(std::string(driver) + ": " + entrada);
            EXPECT_NO_THROW(TraduzSQL(QString::fromUtf8(entrada), QString::fromUtf8(driver), colunas));
        }
    }
}

} // namespace
