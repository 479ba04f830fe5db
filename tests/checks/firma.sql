-- The database of every whole-check scenario: a small grocery wholesaler.
-- Quantities and factors in thousandths (1000 is one piece).

INSERT INTO catalogues (number, name, searched) VALUES
  (1, 'Magazyn główny', 1),
  (2, 'Archiwum', 0);

INSERT INTO goods (catalogue, id, name, symbol) VALUES
  (1, 1, 'Kawa mielona Złota 250 g', 'KAWA-250'),
  (1, 2, 'Herbata zielona 100 g', 'HERB-100'),
  (1, 3, 'Cukier biały 1 kg', 'CUK-1'),
  (1, 4, 'Woda mineralna niegazowana 1,5 l', 'WODA-15'),
  (1, 5, 'Mąka pszenna typ 450 1 kg', 'MAKA-1'),
  (1, 6, 'Sól kuchenna jodowana 1 kg', 'SOL-1'),
  (1, 7, 'Olej rzepakowy 1 l', 'OLEJ-1'),
  (1, 8, 'Makaron świderki 500 g', 'MAK-500'),
  (2, 1, 'Kakao naturalne 150 g', 'KAKAO-150');

-- A shrink-pack of twelve bottles, and two bar codes of single pieces
-- (factor 1000: the goods are found by catalogue and id).
INSERT INTO codes (code, factor, goods_symbol, catalogue, goods_id) VALUES
  ('ZGRZ-WODA', 12000, 'WODA-15', 1, 0),
  ('5900000000012', 1000, '', 1, 1),
  ('8710841030181', 1000, '', 1, 3);

INSERT INTO invoices (id, register, number, issued, counterparty) VALUES
  (1, 'sales', 'FV 1/2025', '2025-01-13', 'Sklep spożywczy Pod Lipą s.c.'),
  (2, 'sales', 'FV 2/2025', '2025-01-14', 'Jan Żółkiewski'),
  (3, 'purchase', 'FZ 1/2025', '2025-01-10', 'Hurtownia Łódź Sp. z o.o.');

-- FV 1/2025: the herbal tea twice (merged into one position of 5.000),
-- 2.5 kg of flour, a name longer than the report's 30 characters, and a
-- service without a symbol. FV 2/2025 has no positions.
INSERT INTO invoice_positions (invoice_id, line, name, symbol, quantity) VALUES
  (1, 1, 'Kawa mielona Złota 250 g', 'KAWA-250', 5000),
  (1, 2, 'Herbata zielona 100 g', 'HERB-100', 3000),
  (1, 3, 'Cukier biały 1 kg', 'CUK-1', 10000),
  (1, 4, 'Woda mineralna niegazowana 1,5 l', 'WODA-15', 24000),
  (1, 5, 'Mąka pszenna typ 450 1 kg', 'MAKA-1', 2500),
  (1, 6, 'Herbata zielona 100 g', 'HERB-100', 2000),
  (1, 7, 'Usługa dostawy', '', 1000),
  (3, 1, 'Olej rzepakowy 1 l', 'OLEJ-1', 12000),
  (3, 2, 'Makaron świderki 500 g', 'MAK-500', 20000);
