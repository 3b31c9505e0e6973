#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace mapcontrol {

// Field type codes of a table description. 3 and 5 are the numeric codes the
// program tests for; the others are ours.
enum class FieldType : int {
    Integer = 3,   // whole numbers (shapefile N fields without decimals)
    Double = 5,    // real numbers (shapefile N/F fields with decimals)
    Date = 7,      // text "YYYY/MM/DD"
    Boolean = 11,  // text "T" or "F"
    Text = 10,     // everything else
};

struct FieldInfo {
    QString name;
    FieldType type = FieldType::Text;
    int width = 0;
    int precision = 0;

    bool isNumeric() const { return type == FieldType::Integer || type == FieldType::Double; }
};

// Statistics of a numeric field over the rows that are not null. The
// standard deviation is the population one (divisor n).
struct FieldStatistics {
    qsizetype count = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    double mean = 0.0;
    double standardDeviation = 0.0;
};

// The attribute records of a vector layer, stored by column: numbers as
// doubles, texts in one character buffer per column. Filled once by the
// layer loader, row by row (append one value to every column, in order),
// then read only; rows are numbered from 0 in file order.
class AttributeTable {
public:
    AttributeTable() = default;
    explicit AttributeTable(QList<FieldInfo> fields);

    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    const FieldInfo& field(int column) const { return m_fields.at(column); }
    const QList<FieldInfo>& fields() const { return m_fields; }
    // Column of the field with this name, compared without regard to case
    // (shapefile field names are case-insensitive); -1 when there is none.
    int fieldIndex(QStringView name) const;
    qsizetype rowCount() const;

    // Filling, for the loader: reserve, then for each row one append per column.
    // A number given to a text column is stored as its text; a text given to a
    // numeric column is read as a number (null when it is not one); NaN is
    // stored as null. Appends to a column that does not exist are ignored.
    // appendText throws std::length_error when a column would pass 2^32 - 1
    // characters, which its offsets cannot address.
    void reserve(qsizetype rows);
    void appendNull(int column);
    void appendNumber(int column, double value);
    void appendText(int column, QStringView value);
    // Gives back the spare capacity left by filling; call once when done.
    void squeeze();

    // The readers below give null, nothing or "" for a column or row out of range.
    bool isNull(int column, qsizetype row) const;
    // The value of a numeric column (0 for null); for a text column the text
    // read as a number, or nothing when it is not one. Text is read in the C
    // form: optional blanks and sign, digits with "." as decimal separator,
    // optional exponent ("1e5", " -2.5 ", ".5"); "1,5", "inf", "0x10" and
    // out-of-range values ("1e999") are not numbers.
    std::optional<double> number(int column, qsizetype row) const;
    // The value as text: texts as stored; integers in plain decimal; doubles
    // with up to 15 significant digits, "." as decimal separator and no
    // trailing zeros ("812", "0.5", "1.25E+20"); null as "".
    QString text(int column, qsizetype row) const;
    // The stored text of a text column without copying it; empty for others.
    QStringView textView(int column, qsizetype row) const;

    // Statistics of a numeric column (count 0 and zeros when every row is
    // null); nothing for a text column.
    std::optional<FieldStatistics> statistics(int column) const;

    // Bytes held by the table's values (for memory figures).
    std::size_t memoryBytes() const;

    // Unchecked read access to one column, for scans over many rows: the
    // caller keeps rows below rowCount() and uses number() only on numeric
    // columns and text() only on the others. Valid until the table changes.
    class ColumnReader {
    public:
        bool isNull(qsizetype row) const {
            const auto word = static_cast<std::size_t>(row) >> 6;
            return word < m_nullWords && ((m_nullBits[word] >> (row & 63)) & 1u) != 0;
        }
        double number(qsizetype row) const { return m_numbers[row]; }
        QStringView text(qsizetype row) const {
            const std::uint32_t begin = row == 0 ? 0 : m_ends[row - 1];
            return QStringView(m_chars + begin, qsizetype(m_ends[row] - begin));
        }

    private:
        friend class AttributeTable;
        const double* m_numbers = nullptr;
        const char16_t* m_chars = nullptr;
        const std::uint32_t* m_ends = nullptr;
        const std::uint64_t* m_nullBits = nullptr;
        std::size_t m_nullWords = 0;
    };
    // Reader of an existing column.
    ColumnReader reader(int column) const;

private:
    struct Column {
        std::vector<double> numbers;      // numeric columns
        std::vector<char16_t> chars;      // text columns: all values end to end
        std::vector<std::uint32_t> ends;  // text columns: end offset of each value
        // Bit r set when row r is null; only as long as needed to hold the
        // last null, so a column without nulls costs nothing here.
        std::vector<std::uint64_t> nullBits;
        qsizetype rows = 0;
    };

    bool validCell(int column, qsizetype row) const;
    void markNull(Column& column);

    QList<FieldInfo> m_fields;
    std::vector<Column> m_columns;
};

// The text form of a double used by AttributeTable::text: rounded to 15
// significant digits, then written in the shortest form without trailing
// zeros, "." as decimal separator whatever the locale. Plain decimal when the
// rounded value's decimal exponent is from -4 to 14 (0.0001 <= |v| < 1E+15),
// otherwise a mantissa and an exponent of at least two digits ("1.25E+20",
// "1E-05"). Zero is "0" (also -0); NaN "NaN"; infinities "Inf" and "-Inf".
QString numberText(double value);

// The text read as a number, by the rule of AttributeTable::number.
std::optional<double> parseNumber(QStringView text);

}  // namespace mapcontrol
