-- The news service's tables for MySQL/MariaDB, for those who create them by hand; the
-- scripts create the same tables on first use. seed.php fills them.

CREATE TABLE IF NOT EXISTS tallywick_news_products (
  publisher VARBINARY(100) NOT NULL,    -- publisher id, sent as memusername
  prodcode VARBINARY(100) NOT NULL,     -- product code, sent as prodcode
  prodtype VARBINARY(2) NOT NULL,       -- tier: BM, BP or BG
  PRIMARY KEY (publisher, prodcode, prodtype)
);

CREATE TABLE IF NOT EXISTS tallywick_news_items (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,  -- newer items have larger ids
  publisher VARBINARY(100) NOT NULL,
  prodcode VARBINARY(100) NOT NULL,
  prodtype VARBINARY(2) NOT NULL,       -- one tier, or empty for every tier
  target VARBINARY(20) NOT NULL,        -- UA for the program
  title VARBINARY(250) NOT NULL,
  published VARBINARY(50) NOT NULL,     -- shown as it is, for example 2024-05-01
  content MEDIUMBLOB NOT NULL,          -- the item's HTML
  KEY product (publisher, prodcode)
);
