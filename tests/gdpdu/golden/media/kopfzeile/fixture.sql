CREATE TABLE g_beleg (nr INTEGER, art TEXT, betrag DECIMAL(10,2));
INSERT INTO g_beleg VALUES (1, 'R', 10.5), (2, 'S', 3), (3, 'R', 7.25);
