-- Bookings of 2027, a year the demo has none of, for what DATEV would refuse (datev_batch_test.cpp).
-- February: three decimals, a five-digit tax key, a text of 62 characters with quotes; a character
-- beyond Windows-1252.
INSERT INTO Buchungen (Buchungsnummer, Belegnummer, Belegdatum, Konto, Gegenkonto, Betrag, Steuerschluessel, Buchungstext, Waehrung) VALUES
 (9001, 'RE-2027-1', '2027-02-03', 4930, 1600, 100.005, 12345, 'Zahlung "Muster" GmbH, Rechnung 4711 vom 3. Februar, Teilbetrag', 'EUR'),
 (9002, 'RE-2027-2', '2027-02-04', 8400, 1400, 5, 3, 'Pfeil → Lager', 'EUR');
-- March: an amount of eleven digits.
INSERT INTO Buchungen (Buchungsnummer, Belegnummer, Belegdatum, Konto, Gegenkonto, Betrag, Steuerschluessel, Buchungstext, Waehrung) VALUES
 (9003, 'RE-2027-3', '2027-03-01', 8400, 1400, 12345678901, 3, 'Groß', 'EUR');
-- April: 102 texts of 61 characters.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 102)
 INSERT INTO Buchungen (Buchungsnummer, Belegnummer, Belegdatum, Konto, Gegenkonto, Betrag, Steuerschluessel, Buchungstext, Waehrung)
 SELECT 9100 + i, 'RE-2027-4', '2027-04-01', 4930, 1600, 1, 3, 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx', 'EUR' FROM n;
