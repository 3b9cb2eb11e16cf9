-- Sales rows for the export benchmark. Run by sqlite3 with the row count in @rows; the same count
-- always gives the same bytes, so runs on one machine compare.
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;

CREATE TEMP TABLE firmen(i INTEGER PRIMARY KEY, v TEXT NOT NULL);
INSERT INTO firmen VALUES
  (0, 'Müller'), (1, 'Schäfer'), (2, 'Weiß'), (3, 'Groß'), (4, 'Köhler'), (5, 'Jäger'),
  (6, 'Böhm'), (7, 'Günther'), (8, 'Krüger'), (9, 'Schröder'), (10, 'Löffler'), (11, 'Fuchs'),
  (12, 'Hoffmann'), (13, 'Zimmermann'), (14, 'Kühn'), (15, 'Dürr'), (16, 'Gößling'),
  (17, 'Straßburger'), (18, 'Wöhrle'), (19, 'Becker');
CREATE TEMP TABLE formen(i INTEGER PRIMARY KEY, v TEXT NOT NULL);
INSERT INTO formen VALUES
  (0, 'GmbH'), (1, 'KG'), (2, '& Söhne'), (3, 'e. K.'), (4, 'AG'), (5, 'GmbH & Co. KG'),
  (6, 'Getränkehandel'), (7, 'Bäckerei'), (8, 'Büroausstattung'), (9, 'Kältetechnik');
CREATE TEMP TABLE orte(i INTEGER PRIMARY KEY, v TEXT NOT NULL);
INSERT INTO orte VALUES
  (0, 'München'), (1, 'Köln'), (2, 'Düsseldorf'), (3, 'Nürnberg'), (4, 'Lübeck'),
  (5, 'Göttingen'), (6, 'Würzburg'), (7, 'Saarbrücken'), (8, 'Fürth'), (9, 'Osnabrück'),
  (10, 'Bad Tölz'), (11, 'Gießen'), (12, 'Völklingen'), (13, 'Überlingen'), (14, 'Tübingen'),
  (15, 'Zweibrücken'), (16, 'Lüneburg'), (17, 'Jülich'), (18, 'Mülheim an der Ruhr'),
  (19, 'Frankfurt am Main'), (20, 'Berlin'), (21, 'Hamburg'), (22, 'Bremen');
CREATE TEMP TABLE artikel(i INTEGER PRIMARY KEY, v TEXT NOT NULL, preis INTEGER NOT NULL);
INSERT INTO artikel VALUES
  (0, 'Glühbirne 60 W', 189), (1, 'Türscharnier Messing', 745), (2, 'Dübel 8 × 40 mm', 399),
  (3, 'Schraubendreher Größe 2', 650), (4, 'Kühlakku', 249), (5, 'Gartenschlauch 25 m', 2495),
  (6, 'Ölfilter', 1290), (7, 'Fußmatte', 1999), (8, 'Lötzinn 250 g', 1475),
  (9, 'Bürostuhl „Komfort“', 18900), (10, 'Gutschein 50 €', 5000), (11, 'Monitor 27"', 21900),
  (12, 'Kabeltrommel 50 m', 4990), (13, 'Wärmepumpe Wartung', 14900), (14, 'Spülmaschinentabs', 899),
  (15, 'Holzleim', 475), (16, 'Schleifpapier Körnung 120', 325), (17, 'Akku-Bohrschrauber', 12900);

CREATE TABLE Umsaetze(
  Id INTEGER PRIMARY KEY,
  Kundennummer INTEGER NOT NULL,
  Name TEXT NOT NULL,
  Ort TEXT,
  Artikel TEXT NOT NULL,
  Menge INTEGER NOT NULL,
  Betrag DECIMAL(12,2) NOT NULL,
  Steuer DECIMAL(12,2) NOT NULL,
  Belegdatum DATE NOT NULL,
  Erfasst DATETIME NOT NULL);

-- h is a multiplicative hash of the row number: spread like random values, yet reproducible.
-- Dates rise with Id over seven years; about 1 in 50 rows has no Ort, 1 in 40 is a return.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < @rows),
h AS (SELECT i, (i * 2654435761) % 4294967296 AS h FROM n),
r AS (
  SELECT h.i, h.h,
         CASE WHEN h.h % 40 = 7 THEN -1 - h.h % 3 ELSE 1 + (h.h >> 7) % 24 END AS menge,
         date('2019-01-01', '+' || (h.i * 2556 / @rows) || ' days') AS tag
  FROM h)
INSERT INTO Umsaetze
SELECT r.i,
       10000 + (r.h >> 3) % 90000,
       f.v || ' ' || g.v,
       CASE WHEN r.h % 50 = 3 THEN NULL ELSE o.v END,
       a.v,
       r.menge,
       round(r.menge * a.preis * (100 - (r.h >> 11) % 15) / 10000.0, 2),
       round(r.menge * a.preis * (100 - (r.h >> 11) % 15) / 10000.0
             * CASE WHEN a.i IN (4, 10, 14) THEN 0.07 ELSE 0.19 END, 2),
       r.tag,
       datetime(r.tag, '+' || (25200 + (r.h >> 5) % 43200) || ' seconds')
FROM r
JOIN firmen f ON f.i = (r.h >> 13) % 20
JOIN formen g ON g.i = (r.h >> 17) % 10
JOIN orte o ON o.i = (r.h >> 19) % 23
JOIN artikel a ON a.i = (r.h >> 23) % 18;
