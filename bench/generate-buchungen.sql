-- Booking rows for the export benchmark, shaped like a bookkeeping journal: amounts as REAL,
-- dates as DATE texts, account numbers as integers, short texts. Run by sqlite3 with the row count
-- in @rows; the same count always gives the same bytes.
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;

CREATE TEMP TABLE texte(i INTEGER PRIMARY KEY, v TEXT NOT NULL);
INSERT INTO texte VALUES
  (0, 'Wareneingang'), (1, 'Miete Büro März'), (2, 'Kasse Einzahlung'), (3, 'Telefon'),
  (4, 'Kfz-Versicherung'), (5, 'Erlöse 19 %'), (6, 'Erlöse 7 %'), (7, 'Porto'),
  (8, 'Bewirtung „Kunde“'), (9, 'Reisekosten'), (10, 'Bürobedarf'), (11, 'Gutschrift'),
  (12, 'Zinsen'), (13, 'Kontoführung'), (14, 'Skonto 2 %'), (15, 'Lohn "Aushilfe"');
CREATE TEMP TABLE stellen(i INTEGER PRIMARY KEY, v TEXT NOT NULL);
INSERT INTO stellen VALUES
  (0, 'VERW'), (1, 'VERTR'), (2, 'LAGER'), (3, 'PROD'), (4, 'EDV'), (5, 'FUHRP');

CREATE TABLE Buchungen(
  Id INTEGER PRIMARY KEY,
  Belegdatum DATE NOT NULL,
  Belegnummer TEXT NOT NULL,
  Konto INTEGER NOT NULL,
  Gegenkonto INTEGER NOT NULL,
  Betrag REAL NOT NULL,
  Steuer REAL NOT NULL,
  Buchungstext TEXT NOT NULL,
  Kostenstelle TEXT,
  Faellig DATE);

-- h is a multiplicative hash of the row number. Dates rise with Id over seven years; about 1 in
-- 30 amounts is a credit, 1 in 20 whole euros, 1 in 8 rows has no cost centre and 1 in 5 no due
-- date.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < @rows),
h AS (SELECT i, (i * 2654435761) % 4294967296 AS h FROM n),
r AS (
  SELECT h.i, h.h,
         date('2019-01-01', '+' || (h.i * 2556 / @rows) || ' days') AS tag,
         CASE WHEN h.h % 20 = 9 THEN ((h.h >> 9) % 5000) * 1.0
              ELSE ((h.h >> 9) % 2000000) / 100.0 END
           * CASE WHEN h.h % 30 = 4 THEN -1 ELSE 1 END AS betrag
  FROM h)
INSERT INTO Buchungen
SELECT r.i,
       r.tag,
       'RE-' || substr(r.tag, 1, 4) || '-' || printf('%05d', r.i % 100000),
       1000 + (r.h >> 5) % 9000,
       8000 + (r.h >> 13) % 1000,
       r.betrag,
       round(r.betrag * CASE WHEN (r.h >> 17) % 4 = 0 THEN 0.07 ELSE 0.19 END, 2),
       t.v,
       CASE WHEN r.h % 8 = 5 THEN NULL ELSE s.v END,
       CASE WHEN r.h % 5 = 2 THEN NULL ELSE date(r.tag, '+' || (14 + (r.h >> 21) % 30) || ' days') END
FROM r
JOIN texte t ON t.i = (r.h >> 19) % 16
JOIN stellen s ON s.i = (r.h >> 23) % 6;
