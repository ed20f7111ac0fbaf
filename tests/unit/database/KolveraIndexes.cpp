#include "tests/unit/database/KolveraIndexes.h"

namespace {

constexpr const char* Tab = "\t";

std::vector<std::string> SplitKeys(const std::string& keys) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = keys.find(", ", start)) != std::string::npos;
         start = comma + 2) {
        parts.push_back(keys.substr(start, comma - start));
    }
    parts.push_back(keys.substr(start));
    return parts;
}

std::vector<std::string> StatementLines(const IndexRow& row) {
    const std::string head = "CREATE NONCLUSTERED INDEX " + row.name + " ON dbo." + row.table;
    if (row.oneLine) {
        return {head + " (" + row.keys + ") ON [PRIMARY]"};
    }
    std::vector<std::string> lines = {head, std::string(Tab) + "("};
    const std::vector<std::string> keys = SplitKeys(row.keys);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        lines.push_back(Tab + keys[i] + (i + 1 < keys.size() ? "," : ""));
    }
    lines.push_back(std::string(Tab) + ") ON [PRIMARY]");
    return lines;
}

// The statement's lines as its batch gathers them: the empty line before it included.
std::vector<std::string> BatchLines(const IndexRow& row) {
    std::vector<std::string> lines;
    if (row.emptyLineBefore) {
        lines.emplace_back();
    }
    for (std::string& line : StatementLines(row)) {
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace

const std::vector<IndexRow>& KolveraIndexRows() {
    static const std::vector<IndexRow> rows = {
        {"IX_doktor", "doktor", "id", true, false},
        {"IX_doktor_1", "doktor", "id DESC", true, false},
        {"IX_hasta", "hasta", "id", false, true},
        {"IX_hasta_1", "hasta", "id DESC", false, false},
        {"IX_yakinlik", "yakinlik", "id", false, true},
        {"IX_yakinlik_1", "yakinlik", "id DESC", false, false},
        {"IX_hasta_turu", "hasta_turu", "id", false, true},
        {"IX_hasta_turu_1", "hasta_turu", "id DESC", false, false},
        {"IX_cari", "cari", "id", false, true},
        {"IX_cari_1", "cari", "id DESC", false, false},
        {"IX_fatura", "fatura", "id", false, true},
        {"IX_fatura_1", "fatura", "id DESC", false, false},
        {"IX_satis", "satis",
         "satis_sira, satis_turu, pos_id, hasta_id, doktor_id, kurum_id, silindi, deneme", false,
         true},
        {"IX_satis_1", "satis",
         "satis_sira DESC, satis_turu DESC, pos_id DESC, hasta_id DESC, doktor_id DESC, kurum_id "
         "DESC, silindi DESC, deneme DESC",
         false, false},
        {"IX_satis_detay", "satis_detay", "satis_sira, urun_id", false, true},
        {"IX_satis_detay_1", "satis_detay", "satis_sira DESC, urun_id DESC", false, false},
        {"IX_recete", "recete",
         "satis_sira, hasta_id, kurum_id, doktor_id, hasta_turu_id, yakinlik_id", false, true},
        {"IX_recete_1", "recete",
         "satis_sira DESC, hasta_id DESC, kurum_id DESC, doktor_id DESC, hasta_turu_id DESC, "
         "ilaci_alan_kisi DESC",
         false, false},
        {"IX_urun_hareket", "urun_hareket",
         "urun_id, satis_sira, alis_sira, takas_sira, sayim_sira, tarih", false, true},
        {"IX_urun_hareket_1", "urun_hareket",
         "urun_id DESC, satis_sira DESC, alis_sira DESC, takas_sira DESC, sayim_sira DESC, tarih "
         "DESC",
         false, false},
        {"IX_alis", "alis", "alis_sira, urun_id", false, true},
        {"IX_alis_1", "alis", "alis_sira DESC, urun_id DESC", false, false},
        {"IX_alis_fatura", "alis_fatura", "alis_sira, kurum_id", false, true},
        {"IX_alis_fatura_1", "alis_fatura", "alis_sira DESC, kurum_id DESC", false, false},
        {"IX_urun", "urun", "id, tam_no_1", false, true},
        {"IX_urun_1", "urun", "id DESC, tam_no_1 DESC", false, false},
        {"IX_urun2", "urun2", "urun_id, tam_no_1", false, true},
        {"IX_urun2_1", "urun2", "urun_id DESC, tam_no_1 DESC", false, false},
    };
    return rows;
}

std::vector<KeyColumn> KeyColumns(const IndexRow& row) {
    constexpr std::string_view Descending = " DESC";
    std::vector<KeyColumn> columns;
    for (const std::string& key : SplitKeys(row.keys)) {
        const bool descending = key.ends_with(Descending);
        columns.push_back(
            {descending ? key.substr(0, key.size() - Descending.size()) : key, descending});
    }
    return columns;
}

std::vector<std::string> ExpectedScript() {
    std::vector<std::string> script = {"USE KOLVERA", "GO"};
    for (const IndexRow& row : KolveraIndexRows()) {
        for (std::string& line : BatchLines(row)) {
            script.push_back(std::move(line));
        }
        script.emplace_back("GO");
    }
    return script;
}

std::vector<std::string> ExpectedScriptBatches() {
    std::vector<std::string> batches = {BatchOf({"USE KOLVERA"})};
    for (const IndexRow& row : KolveraIndexRows()) {
        batches.push_back(BatchOf(BatchLines(row)));
    }
    return batches;
}

std::string BatchOf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}
