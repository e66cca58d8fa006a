<?php
// The news service's tables and answers: a reseller's products (publisher id, product code,
// tier code) and their news items. Replies use 0xAF between records, "^" between fields,
// and 0xAF "OK" at the end; item content travels as "$" plus two hexadecimal digits.

declare(strict_types=1);

namespace Tallywick\News;

use PDO;

require_once __DIR__ . '/database.php';

const TIMEOUT_SECONDS = 5;

const RECORD_SEPARATOR = "\xAF";
const END_MARKER = "\xAFOK";

// The error words the program knows; none of them contains "OK".
const CONNECTION_FAIL = 'CONNECTIONFAIL'; // no config.php, or the database cannot be reached
const INVALID_USER = 'INVALIDUSER'; // no product of that publisher id
const INVALID_PRODUCT = 'INVALIDPRODUCT'; // the publisher has no such product code and tier
const INVALID_NEWS = 'INVALIDNEWS'; // no such item for that product
const BAD_REQUEST = 'BADREQUEST'; // a field missing or not understood

const TIERS = ['BM', 'BP', 'BG'];

/** A reply word the program is meant to read. */
final class Refusal extends \RuntimeException
{
}

function open_database(): PDO
{
    $config = \Tallywick\read_config(__DIR__);
    if ($config === null) {
        throw new Refusal(CONNECTION_FAIL);
    }
    try {
        $pdo = \Tallywick\connect($config, __DIR__, TIMEOUT_SECONDS);
    } catch (\Throwable) {
        throw new Refusal(CONNECTION_FAIL);
    }
    return $pdo;
}

/** The statements that create the tables where they are missing (schema.sql holds the same). */
function schema(PDO $pdo): array
{
    if ($pdo->getAttribute(PDO::ATTR_DRIVER_NAME) === 'sqlite') {
        return [
            'CREATE TABLE IF NOT EXISTS tallywick_news_products (
                publisher BLOB NOT NULL,
                prodcode BLOB NOT NULL,
                prodtype BLOB NOT NULL,
                PRIMARY KEY (publisher, prodcode, prodtype))',
            'CREATE TABLE IF NOT EXISTS tallywick_news_items (
                id INTEGER PRIMARY KEY AUTOINCREMENT,
                publisher BLOB NOT NULL,
                prodcode BLOB NOT NULL,
                prodtype BLOB NOT NULL,
                target BLOB NOT NULL,
                title BLOB NOT NULL,
                published BLOB NOT NULL,
                content BLOB NOT NULL)',
        ];
    }
    return [
        'CREATE TABLE IF NOT EXISTS tallywick_news_products (
            publisher VARBINARY(100) NOT NULL,
            prodcode VARBINARY(100) NOT NULL,
            prodtype VARBINARY(2) NOT NULL,
            PRIMARY KEY (publisher, prodcode, prodtype))',
        'CREATE TABLE IF NOT EXISTS tallywick_news_items (
            id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
            publisher VARBINARY(100) NOT NULL,
            prodcode VARBINARY(100) NOT NULL,
            prodtype VARBINARY(2) NOT NULL,
            target VARBINARY(20) NOT NULL,
            title VARBINARY(250) NOT NULL,
            published VARBINARY(50) NOT NULL,
            content MEDIUMBLOB NOT NULL,
            KEY product (publisher, prodcode))',
    ];
}

function with_news_tables(PDO $pdo, callable $work): mixed
{
    return \Tallywick\with_tables($pdo, __NAMESPACE__ . '\schema', $work);
}

/** A field of the posted form, or null when it is missing or not a plain text. */
function field(string $name): ?string
{
    $value = $_POST[$name] ?? null;
    return is_string($value) ? $value : null;
}

/**
 * The product the request names, checked: publisher id, product code and tier code.
 * Throws the refusal word when the publisher or the product is unknown.
 */
function requested_product(PDO $pdo): array
{
    $publisher = field('memusername');
    $prodcode = field('prodcode');
    $prodtype = field('prodtype');
    if ($publisher === null || $publisher === '') {
        throw new Refusal(INVALID_USER);
    }
    $known = with_news_tables($pdo, static function (PDO $pdo) use ($publisher): array {
        $rows = $pdo->prepare('SELECT prodcode, prodtype FROM tallywick_news_products WHERE publisher = ?');
        $rows->execute([$publisher]);
        return $rows->fetchAll(PDO::FETCH_NUM);
    });
    if ($known === []) {
        throw new Refusal(INVALID_USER);
    }
    if (!in_array([$prodcode, $prodtype], $known, true)) {
        throw new Refusal(INVALID_PRODUCT);
    }
    return [$publisher, $prodcode, $prodtype];
}

/** A title or date as it may stand in a record: separators and line breaks percent-encoded. */
function record_text(string $text): string
{
    return preg_replace_callback(
        '/[\x00-\x1F\x7F^\xAF]/',
        static fn (array $m): string => sprintf('%%%02X', ord($m[0])),
        $text
    );
}

/** Every byte that could be taken for a separator, trimmed away or read as an escape, as "$XX". */
function hex_escaped(string $content): string
{
    return preg_replace_callback(
        '/[^\x21-\x23\x25-\x7E]/',
        static fn (array $m): string => sprintf('$%02X', ord($m[0])),
        $content
    );
}

/** Runs a reply: the text from $build, or the refusal word it threw. */
function reply(callable $build): void
{
    ini_set('display_errors', '0');
    ob_start();
    try {
        $answer = $build();
    } catch (Refusal $refusal) {
        $answer = $refusal->getMessage();
    } catch (\Throwable) {
        // Database messages stay on the server.
        $answer = CONNECTION_FAIL;
    }
    while (ob_get_level() > 0) {
        ob_end_clean();
    }
    header('Content-Type: text/plain; charset=windows-1252');
    header('Cache-Control: no-store');
    echo $answer;
}

/** The items of a product for a target, newest first: [id, title, published]. */
function news_items(PDO $pdo, array $product, string $target, ?int $limit): array
{
    [$publisher, $prodcode, $prodtype] = $product;
    $query = "SELECT id, title, published FROM tallywick_news_items
              WHERE publisher = ? AND prodcode = ? AND (prodtype = ? OR prodtype = '') AND target = ?
              ORDER BY id DESC" . ($limit !== null ? ' LIMIT ' . $limit : '');
    return with_news_tables($pdo, static function (PDO $pdo) use ($query, $publisher, $prodcode, $prodtype, $target): array {
        $rows = $pdo->prepare($query);
        $rows->execute([$publisher, $prodcode, $prodtype, $target]);
        return $rows->fetchAll(PDO::FETCH_NUM);
    });
}

/** The content of one item of the product, or null when it has none of that id. */
function news_content(PDO $pdo, array $product, int $id): ?string
{
    [$publisher, $prodcode, $prodtype] = $product;
    return with_news_tables($pdo, static function (PDO $pdo) use ($publisher, $prodcode, $prodtype, $id): ?string {
        $rows = $pdo->prepare(
            "SELECT content FROM tallywick_news_items
             WHERE id = ? AND publisher = ? AND prodcode = ? AND (prodtype = ? OR prodtype = '')"
        );
        $rows->execute([$id, $publisher, $prodcode, $prodtype]);
        $content = $rows->fetchColumn();
        return $content === false ? null : (string)$content;
    });
}

/** Registers a product of a publisher for the given tiers; present ones stay as they are. */
function add_product(PDO $pdo, string $publisher, string $prodcode, array $tiers): void
{
    with_news_tables($pdo, static function (PDO $pdo) use ($publisher, $prodcode, $tiers): void {
        $present = $pdo->prepare(
            'SELECT COUNT(*) FROM tallywick_news_products WHERE publisher = ? AND prodcode = ? AND prodtype = ?'
        );
        $insert = $pdo->prepare('INSERT INTO tallywick_news_products (publisher, prodcode, prodtype) VALUES (?, ?, ?)');
        foreach ($tiers as $tier) {
            $present->execute([$publisher, $prodcode, $tier]);
            $found = (int)$present->fetchColumn() > 0;
            $present->closeCursor();
            if (!$found) {
                $insert->execute([$publisher, $prodcode, $tier]);
            }
        }
    });
}

/** Adds an item; $tier '' shows it to every tier. Its id. */
function add_item(
    PDO $pdo,
    string $publisher,
    string $prodcode,
    string $tier,
    string $target,
    string $title,
    string $published,
    string $content
): int {
    return with_news_tables($pdo, static function (PDO $pdo) use ($publisher, $prodcode, $tier, $target, $title, $published, $content): int {
        $pdo->prepare(
            'INSERT INTO tallywick_news_items (publisher, prodcode, prodtype, target, title, published, content)
             VALUES (?, ?, ?, ?, ?, ?, ?)'
        )->execute([$publisher, $prodcode, $tier, $target, $title, $published, $content]);
        return (int)$pdo->lastInsertId();
    });
}
