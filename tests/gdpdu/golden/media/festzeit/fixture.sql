CREATE TABLE g_stempel_fix (nr INTEGER, erfasst TIMESTAMP);
INSERT INTO g_stempel_fix VALUES (1, '2026-03-01 12:00:00'), (2, '2026-03-02 00:00:00'), (3, NULL);
