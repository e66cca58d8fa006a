<?php
// The counter's database: opening it, its tables, and how values are kept in them.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

require_once __DIR__ . '/database.php';
require_once __DIR__ . '/failures.php';

// Longer values are cut: a stored value never grows an answer without bound.
const MAX_VALUE_BYTES = 1000;

// Connecting and every wait on the database. A page view gives up soon, so that a hung
// server never holds a page up for long. The program's requests may wait longer, but with a
// connection and a statement each waiting at most this long they answer well inside the
// minute after which the program gives up on them.
const VIEW_TIMEOUT_SECONDS = 1;
const ACTION_TIMEOUT_SECONDS = 10;

/** The settings of config.php beside the scripts; throws NoConfig when there are none. */
function counter_config(): array
{
    $config = \Tallywick\read_config(__DIR__);
    if ($config === null) {
        throw new NoConfig();
    }
    return $config;
}

/** The SQLite file the settings name; null for MySQL or when they name none. */
function database_file(?array $config): ?string
{
    try {
        return $config === null ? null : \Tallywick\sqlite_path($config, __DIR__);
    } catch (\RuntimeException) {
        return null;
    }
}

/**
 * The database of these settings, for counting a view (quick to give up, a few rows) or for
 * the program's requests; throws on any failure.
 */
function open_database(array $config, bool $forView): PDO
{
    $pdo = $forView
        ? \Tallywick\connect($config, __DIR__, VIEW_TIMEOUT_SECONDS, false)
        : \Tallywick\connect($config, __DIR__, ACTION_TIMEOUT_SECONDS);
    if (!is_sqlite($pdo)) {
        // Rows are read as they arrive, so a long list is not held twice. Placeholders are
        // filled in by PDO (the default), each value escaped for the binary connection: one
        // round trip a statement instead of two halves the time a counted view takes.
        $pdo->setAttribute(PDO::MYSQL_ATTR_USE_BUFFERED_QUERY, false);
        $pdo->setAttribute(PDO::ATTR_EMULATE_PREPARES, true);
    }
    return $pdo;
}

function is_sqlite(PDO $pdo): bool
{
    return $pdo->getAttribute(PDO::ATTR_DRIVER_NAME) === 'sqlite';
}

/**
 * Puts an SQLite database into write-ahead logging, once: the mode stays with the file. A
 * reader of a long list then never holds up the views being counted. A database in use
 * refuses the switch; the next try comes with the program's next check.
 */
function use_write_ahead_log(PDO $pdo): void
{
    if (!is_sqlite($pdo)) {
        return;
    }
    try {
        $mode = $pdo->query('PRAGMA journal_mode')->fetchColumn();
        if (strtolower((string)$mode) !== 'wal') {
            $pdo->query('PRAGMA journal_mode = WAL')->fetchAll();
        }
    } catch (\PDOException) {
        // Counting works without it, only slower under a long read.
    }
}

/** The statements that create the tables where they are missing (schema.sql holds the same). */
function schema(PDO $pdo): array
{
    if (is_sqlite($pdo)) {
        return [
            'CREATE TABLE IF NOT EXISTS tallywick_pages (
                id INTEGER PRIMARY KEY AUTOINCREMENT,
                urlhash BLOB NOT NULL UNIQUE,
                url BLOB NOT NULL,
                hits INTEGER NOT NULL DEFAULT 0)',
            'CREATE TABLE IF NOT EXISTS tallywick_referers (
                id INTEGER PRIMARY KEY AUTOINCREMENT,
                page INTEGER NOT NULL,
                refhash BLOB NOT NULL,
                domain BLOB NOT NULL,
                keyword BLOB NOT NULL,
                advertising INTEGER NOT NULL,
                hits INTEGER NOT NULL DEFAULT 0,
                UNIQUE (page, refhash))',
            'CREATE TABLE IF NOT EXISTS tallywick_hours (
                hour INTEGER PRIMARY KEY,
                hits INTEGER NOT NULL DEFAULT 0,
                robots INTEGER NOT NULL DEFAULT 0,
                newpages INTEGER NOT NULL DEFAULT 0,
                newreferers INTEGER NOT NULL DEFAULT 0)',
            'CREATE TABLE IF NOT EXISTS tallywick_page_hours (
                page INTEGER NOT NULL,
                hour INTEGER NOT NULL,
                hits INTEGER NOT NULL DEFAULT 0,
                PRIMARY KEY (page, hour)) WITHOUT ROWID',
        ];
    }
    return [
        'CREATE TABLE IF NOT EXISTS tallywick_pages (
            id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
            urlhash BINARY(20) NOT NULL,
            url VARBINARY(1000) NOT NULL,
            hits INT UNSIGNED NOT NULL DEFAULT 0,
            UNIQUE KEY urlhash (urlhash))',
        'CREATE TABLE IF NOT EXISTS tallywick_referers (
            id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
            page INT UNSIGNED NOT NULL,
            refhash BINARY(20) NOT NULL,
            domain VARBINARY(1000) NOT NULL,
            keyword VARBINARY(1000) NOT NULL,
            advertising TINYINT NOT NULL,
            hits INT UNSIGNED NOT NULL DEFAULT 0,
            UNIQUE KEY pageref (page, refhash))',
        'CREATE TABLE IF NOT EXISTS tallywick_hours (
            hour INT UNSIGNED NOT NULL PRIMARY KEY,
            hits INT UNSIGNED NOT NULL DEFAULT 0,
            robots INT UNSIGNED NOT NULL DEFAULT 0,
            newpages INT UNSIGNED NOT NULL DEFAULT 0,
            newreferers INT UNSIGNED NOT NULL DEFAULT 0)',
        'CREATE TABLE IF NOT EXISTS tallywick_page_hours (
            page INT UNSIGNED NOT NULL,
            hour INT UNSIGNED NOT NULL,
            hits INT UNSIGNED NOT NULL DEFAULT 0,
            PRIMARY KEY (page, hour))',
    ];
}

/** Runs $work, creating the tables first if it fails for want of them. */
function with_counter_tables(PDO $pdo, callable $work): mixed
{
    return \Tallywick\with_tables($pdo, static function (PDO $pdo): array {
        $statements = schema($pdo);
        use_write_ahead_log($pdo);
        return $statements;
    }, $work);
}

// ---------------------------------------------------------------------------------------
// Values as they are stored

/**
 * A value as it may be stored: the bytes that would break an answer (comma, "^", double
 * quote, control characters) percent-encoded, then cut to MAX_VALUE_BYTES without tearing
 * an escape or a UTF-8 character.
 */
function storable(string $value): string
{
    $value = preg_replace_callback(
        '/[\x00-\x1F\x7F,^"]/',
        static fn (array $m): string => sprintf('%%%02X', ord($m[0])),
        $value
    );
    if (strlen($value) <= MAX_VALUE_BYTES) {
        return $value;
    }
    $value = substr($value, 0, MAX_VALUE_BYTES);
    if ($value[-1] === '%') {
        $value = substr($value, 0, -1);
    } elseif ($value[-2] === '%') {
        $value = substr($value, 0, -2);
    }
    // Drop a UTF-8 character whose last bytes were cut off.
    $lead = strlen($value) - 1;
    while ($lead > 0 && (ord($value[$lead]) & 0xC0) === 0x80) {
        --$lead;
    }
    $byte = ord($value[$lead] ?? "\0");
    $length = $byte >= 0xF0 ? 4 : ($byte >= 0xE0 ? 3 : ($byte >= 0xC0 ? 2 : 1));
    if ($byte >= 0xC0 && strlen($value) - $lead < $length) {
        $value = substr($value, 0, $lead);
    }
    return $value;
}
