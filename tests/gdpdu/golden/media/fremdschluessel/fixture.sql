CREATE TABLE g_kunde (nr INTEGER, name TEXT);
INSERT INTO g_kunde VALUES (10, 'Meyer'), (11, 'Schulz');
CREATE TABLE g_rechnung (nr INTEGER, kunde INTEGER, vertreter INTEGER, lager INTEGER, betrag DECIMAL(10,2));
INSERT INTO g_rechnung VALUES (1, 10, 5, 1, 99.5), (2, NULL, NULL, NULL, 10), (3, 11, 7, 2, 0.5);
