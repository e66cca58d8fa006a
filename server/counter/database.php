<?php
// The database that config.php names: MySQL/MariaDB by default, SQLite when the host
// begins with "sqlite:". The same file serves the counter and the news scripts, so that
// both read config.php by the same rules.

declare(strict_types=1);

namespace Tallywick;

use PDO;

/**
 * The four settings of config.php in $folder, or null when the file is missing or sets
 * no host. Whatever the file prints is thrown away.
 */
function read_config(string $folder): ?array
{
    $file = $folder . '/config.php';
    if (!is_file($file)) {
        return null;
    }
    $hostname = $database = $username = $password = null;
    ob_start();
    try {
        include $file;
    } finally {
        ob_end_clean();
    }
    if (!is_string($hostname) || $hostname === '') {
        return null;
    }
    return [
        'hostname' => $hostname,
        'database' => is_string($database) ? $database : '',
        'username' => is_string($username) ? $username : '',
        'password' => is_string($password) ? $password : '',
    ];
}

/** True when the host names an SQLite database file. */
function is_sqlite_host(string $hostname): bool
{
    return strncasecmp($hostname, 'sqlite:', 7) === 0;
}

/**
 * The file of an SQLite database, relative paths counted from $folder; null for MySQL.
 * Throws when the host names no file.
 */
function sqlite_path(array $config, string $folder): ?string
{
    if (!is_sqlite_host($config['hostname'])) {
        return null;
    }
    $path = substr($config['hostname'], 7);
    if ($path === '') {
        throw new \RuntimeException('no database file named');
    }
    if (!preg_match('~^(/|[A-Za-z]:[\\\\/]|\\\\\\\\)~', $path)) {
        $path = $folder . '/' . $path;
    }
    return $path;
}

/**
 * Opens the database. Relative SQLite paths count from $folder. $timeoutSeconds bounds
 * connecting, waiting for a locked SQLite file and, on MySQL, every wait for an answer.
 * $longReads maps an SQLite file into memory, which speeds up long lists and slows down a
 * connection that touches a few rows. Throws on any failure.
 */
function connect(array $config, string $folder, int $timeoutSeconds, bool $longReads = true): PDO
{
    $options = [
        PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION,
        PDO::ATTR_DEFAULT_FETCH_MODE => PDO::FETCH_NUM,
        PDO::ATTR_TIMEOUT => $timeoutSeconds,
    ];
    $path = sqlite_path($config, $folder);
    if ($path !== null) {
        $pdo = new PDO('sqlite:' . $path, null, null, $options);
        // A page view must not wait for the disk: the system writes the change out by itself.
        // A crash of PHP or of the web server loses nothing; only a power cut at the wrong
        // moment may.
        $pdo->exec('PRAGMA synchronous = OFF');
        if ($longReads) {
            $pdo->exec('PRAGMA mmap_size = 268435456');
        }
        return $pdo;
    }

    [$host, $port, $socket] = split_mysql_host($config['hostname']);
    if (strpbrk($host . $socket, ';=') !== false) {
        throw new \RuntimeException('host not usable in a data source name');
    }
    $dsn = $socket !== '' ? "mysql:unix_socket=$socket" : "mysql:host=$host" . ($port !== '' ? ";port=$port" : '');
    // The columns hold bytes; a binary connection passes them on unchanged, valid UTF-8 or not.
    $dsn .= ';charset=binary';
    // Named when connecting, which saves a round trip, unless the data source name cannot hold it.
    $database = $config['database'];
    $named = $database !== '' && strpbrk($database, ";\0") === false && trim($database) === $database;
    if ($named) {
        $dsn .= ";dbname=$database";
    }
    $previousReadTimeout = ini_set('mysqlnd.net_read_timeout', (string)$timeoutSeconds);
    try {
        $pdo = new PDO($dsn, $config['username'], $config['password'], $options);
    } finally {
        if ($previousReadTimeout !== false) {
            ini_set('mysqlnd.net_read_timeout', $previousReadTimeout);
        }
    }
    if ($database !== '' && !$named) {
        $pdo->exec('USE `' . str_replace('`', '``', $database) . '`');
    }
    return $pdo;
}

/**
 * Host, port and socket of a MySQL host text: "name", "name:3307", "[::1]:3307", or
 * "localhost:/path/to/socket" as older scripts wrote it.
 */
function split_mysql_host(string $hostname): array
{
    if (preg_match('~^\[([^\]]*)\](?::(\d+))?$~', $hostname, $m)) {
        return [$m[1], $m[2] ?? '', ''];
    }
    $colon = strrpos($hostname, ':');
    if ($colon === false || substr_count($hostname, ':') > 1) {
        return [$hostname, '', ''];
    }
    $host = substr($hostname, 0, $colon);
    $rest = substr($hostname, $colon + 1);
    if ($rest !== '' && $rest[0] === '/') {
        return [$host, '', $rest];
    }
    if (!ctype_digit($rest)) {
        throw new \RuntimeException('port is not a number');
    }
    return [$host, $rest, ''];
}

/** True when the database refused a statement because one of its tables does not exist. */
function is_missing_table(\PDOException $error): bool
{
    $driverCode = $error->errorInfo[1] ?? null;
    return $driverCode === 1146 // MySQL: table doesn't exist
        || ($driverCode === 1 && str_contains((string)($error->errorInfo[2] ?? ''), 'no such table'));
}

/**
 * Runs $work with the database; when it fails for want of a table, creates the missing
 * tables with $schema and tries once more, so that the tables appear on first use without
 * a check on every call. Any other failure is thrown at once: a busy or broken database
 * must not be waited for twice.
 */
function with_tables(PDO $pdo, callable $schema, callable $work): mixed
{
    try {
        return $work($pdo);
    } catch (\PDOException $first) {
        if ($pdo->inTransaction()) {
            try {
                $pdo->rollBack();
            } catch (\Throwable) {
                // The first failure is the one worth reporting.
            }
        }
        if (!is_missing_table($first)) {
            throw $first;
        }
        foreach ($schema($pdo) as $statement) {
            $pdo->exec($statement);
        }
        return $work($pdo);
    }
}
