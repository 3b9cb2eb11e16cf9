CREATE TABLE g_preis (nr INTEGER, netto DECIMAL(12,2), menge DECIMAL(12,3), rabatt DECIMAL(12,3), saldo DECIMAL(12,2), stueck INTEGER);
INSERT INTO g_preis VALUES (1, 10, 1.5, 0.125, -12.5, 3), (2, 1234.5, 2.25, NULL, 100, 4), (3, 0.99, 3, 0.5, 0, NULL);
