"""The batches the wizard's database stage sends, byte for byte: the provisioning
statements, the check query, the compatibility level, and the index script batch by
batch. The login password is the tests' own."""

CRLF = "\r\n"
LOGIN_PASSWORD = "1234"

ATTACH = ("create database kolvera ON (FILENAME = 'c:\\kolvera\\data\\kolvera_data.mdf')  "
          "LOG ON (FILENAME = 'c:\\kolvera\\data\\kolvera_log.ldf') FOR ATTACH" + CRLF)
ADD_LOGIN = f"exec sp_addlogin 'kolvera','{LOGIN_PASSWORD}','kolvera','turkish'" + CRLF
DEFAULT_DATABASE = "exec sp_defaultdb 'kolvera','kolvera'" + CRLF
ADD_TO_SYSADMIN = "exec sp_addsrvrolemember 'kolvera','sysadmin'" + CRLF
GRANT_ACCESS = "exec sp_grantdbaccess 'kolvera'" + CRLF
CHECK_QUERY = "select top 1 * from kolvera.dbo.alis" + CRLF
COMPATIBILITY = "ALTER DATABASE kolvera" + CRLF + "SET COMPATIBILITY_LEVEL = 130" + CRLF
PROVISIONING = (ATTACH, ADD_LOGIN, DEFAULT_DATABASE, ADD_TO_SYSADMIN, GRANT_ACCESS)

# (index, table, key columns, one-line form, empty line before it)
INDEXES = (
    ("IX_doktor", "doktor", ("id",), True, False),
    ("IX_doktor_1", "doktor", ("id DESC",), True, False),
    ("IX_hasta", "hasta", ("id",), False, True),
    ("IX_hasta_1", "hasta", ("id DESC",), False, False),
    ("IX_yakinlik", "yakinlik", ("id",), False, True),
    ("IX_yakinlik_1", "yakinlik", ("id DESC",), False, False),
    ("IX_hasta_turu", "hasta_turu", ("id",), False, True),
    ("IX_hasta_turu_1", "hasta_turu", ("id DESC",), False, False),
    ("IX_cari", "cari", ("id",), False, True),
    ("IX_cari_1", "cari", ("id DESC",), False, False),
    ("IX_fatura", "fatura", ("id",), False, True),
    ("IX_fatura_1", "fatura", ("id DESC",), False, False),
    ("IX_satis", "satis", ("satis_sira", "satis_turu", "pos_id", "hasta_id", "doktor_id",
                           "kurum_id", "silindi", "deneme"), False, True),
    ("IX_satis_1", "satis", ("satis_sira DESC", "satis_turu DESC", "pos_id DESC",
                             "hasta_id DESC", "doktor_id DESC", "kurum_id DESC",
                             "silindi DESC", "deneme DESC"), False, False),
    ("IX_satis_detay", "satis_detay", ("satis_sira", "urun_id"), False, True),
    ("IX_satis_detay_1", "satis_detay", ("satis_sira DESC", "urun_id DESC"), False, False),
    ("IX_recete", "recete", ("satis_sira", "hasta_id", "kurum_id", "doktor_id",
                             "hasta_turu_id", "yakinlik_id"), False, True),
    ("IX_recete_1", "recete", ("satis_sira DESC", "hasta_id DESC", "kurum_id DESC",
                               "doktor_id DESC", "hasta_turu_id DESC", "ilaci_alan_kisi DESC"),
     False, False),
    ("IX_urun_hareket", "urun_hareket", ("urun_id", "satis_sira", "alis_sira", "takas_sira",
                                         "sayim_sira", "tarih"), False, True),
    ("IX_urun_hareket_1", "urun_hareket", ("urun_id DESC", "satis_sira DESC", "alis_sira DESC",
                                           "takas_sira DESC", "sayim_sira DESC", "tarih DESC"),
     False, False),
    ("IX_alis", "alis", ("alis_sira", "urun_id"), False, True),
    ("IX_alis_1", "alis", ("alis_sira DESC", "urun_id DESC"), False, False),
    ("IX_alis_fatura", "alis_fatura", ("alis_sira", "kurum_id"), False, True),
    ("IX_alis_fatura_1", "alis_fatura", ("alis_sira DESC", "kurum_id DESC"), False, False),
    ("IX_urun", "urun", ("id", "tam_no_1"), False, True),
    ("IX_urun_1", "urun", ("id DESC", "tam_no_1 DESC"), False, False),
    ("IX_urun2", "urun2", ("urun_id", "tam_no_1"), False, True),
    ("IX_urun2_1", "urun2", ("urun_id DESC", "tam_no_1 DESC"), False, False),
)


def index_lines(name, table, keys, one_line, empty_line_before):
    lines = [""] if empty_line_before else []
    if one_line:
        return lines + [f"CREATE NONCLUSTERED INDEX {name} ON dbo.{table} ({', '.join(keys)}) "
                        "ON [PRIMARY]"]
    lines += [f"CREATE NONCLUSTERED INDEX {name} ON dbo.{table}", "\t("]
    lines += ["\t" + key + ("," if i < len(keys) - 1 else "") for i, key in enumerate(keys)]
    return lines + ["\t) ON [PRIMARY]"]


def batch(lines):
    return "".join(line + CRLF for line in lines)


INDEX_SCRIPT = (batch(["USE KOLVERA"]),) + tuple(batch(index_lines(*row)) for row in INDEXES)


def expected_keys(keys):
    """The key columns of an index as (column, descending)."""
    return tuple((key.split()[0], key.endswith(" DESC")) for key in keys)
