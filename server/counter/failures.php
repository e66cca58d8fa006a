<?php
// What the counter says when it cannot do its work, and what it remembers of the last view
// it could not store. The words are fixed and hold no "OK"; the program shows a text of its
// own for each, so a word changes only together with the program.

declare(strict_types=1);

namespace Tallywick\Counter;

const BAD_REQUEST = 'BADREQUEST'; // unknown action, a missing field, a value out of its form
const NO_CONFIG = 'NOCONFIG'; // config.php beside the scripts is missing or names no host
const DATABASE_FAILED = 'DBFAIL'; // the database cannot be reached, or failed for another reason
const READ_ONLY = 'READONLY'; // the database takes no writes: read-only file or folder, server in read-only mode
const WRITE_DENIED = 'DENIED'; // the database user lacks the right to write the counter's tables
const DISK_FULL = 'DISKFULL'; // no room left on the disk that holds the database
const COUNT_FAILED = 'COUNTFAIL'; // the database works now, but the last view could not be stored

// After a view could not be stored, the following views leave the database alone this long,
// so that a hung server does not hold every page of the site up.
const PAUSE_SECONDS = 30;

// The marker of the last view that could not be stored: its word, and its time as the file's
// modification time. Beside the scripts, or in the temporary folder when PHP may not write there.
const FAILURE_FILE = 'lastfailure.txt';

final class NoConfig extends \RuntimeException
{
}

/** The fixed word for a failure of the database (or of reading config.php). */
function failure_word(\Throwable $error, ?string $sqliteFile = null): string
{
    if ($error instanceof NoConfig) {
        return NO_CONFIG;
    }
    if (!$error instanceof \PDOException) {
        return DATABASE_FAILED;
    }
    $code = $error->errorInfo[1] ?? $error->getCode();
    $message = (string)($error->errorInfo[2] ?? $error->getMessage());
    if ($sqliteFile !== null) {
        return match ($code) {
            8 => READ_ONLY, // SQLITE_READONLY
            13 => DISK_FULL, // SQLITE_FULL
            3, 23 => WRITE_DENIED, // SQLITE_PERM, SQLITE_AUTH
            // SQLITE_CANTOPEN: a folder that takes no new files cannot hold the journal either.
            14 => sqlite_writable($sqliteFile) ? DATABASE_FAILED : READ_ONLY,
            default => DATABASE_FAILED,
        };
    }
    return match (true) {
        // --read-only server, read-only transaction, read-only table
        in_array($code, [1290, 1792, 1836, 1036], true) => READ_ONLY,
        // a command, a column or a privilege denied on the counter's tables
        in_array($code, [1142, 1143, 1227, 1370], true) => WRITE_DENIED,
        // disk full, table full, or a write that failed with ENOSPC
        in_array($code, [1021, 1114], true), str_contains($message, 'No space left') => DISK_FULL,
        default => DATABASE_FAILED,
    };
}

/** False when the database file, or the folder that must take its journal, cannot be written. */
function sqlite_writable(string $file): bool
{
    $folder = dirname($file);
    if (!is_dir($folder)) {
        return true; // a folder that is not there is a wrong setting, not a read-only one
    }
    return is_writable($folder) && (!file_exists($file) || is_writable($file));
}

// ---------------------------------------------------------------------------------------
// The marker of the last failed view. Nothing here locks or waits: the marker is replaced by
// a rename, so that every worker reads either the old marker or the new one.

/** The places the marker may lie, the preferred first. */
function failure_files(): array
{
    return [
        __DIR__ . '/' . FAILURE_FILE,
        sys_get_temp_dir() . '/tallywick-' . substr(sha1(__DIR__), 0, 16) . '-' . FAILURE_FILE,
    ];
}

/** The marker that stands, as [file, time], or null when the last view was stored. */
function standing_failure(): ?array
{
    foreach (failure_files() as $file) {
        $time = @filemtime($file);
        if ($time !== false) {
            return [$file, $time];
        }
    }
    return null;
}

/** True while the views after a failure leave the database alone. */
function is_paused(?array $failure, int $now): bool
{
    // A time in the future (the clock was set back) ends the pause rather than stretching it.
    return $failure !== null && $now - $failure[1] >= 0 && $now - $failure[1] < PAUSE_SECONDS;
}

/** Starts a new pause for the other views while this one tries the database again. */
function claim_retry(array $failure): void
{
    @touch($failure[0]);
}

/** Lets the next view try the database at once; the failure itself still stands. */
function end_pause(array $failure): void
{
    @touch($failure[0], time() - PAUSE_SECONDS);
}

/** Clears the marker wherever it lies: a view has been stored. */
function forget_failure(): void
{
    foreach (failure_files() as $file) {
        @unlink($file);
    }
}

/** Writes the marker of a view that could not be stored; it also starts the pause. */
function remember_failure(string $word): void
{
    foreach (failure_files() as $file) {
        $temporary = $file . '.' . bin2hex(random_bytes(4));
        if (@file_put_contents($temporary, $word . ' ' . gmdate('Y-m-d\TH:i:s\Z') . "\n") !== false) {
            if (@rename($temporary, $file)) {
                return;
            }
            @unlink($temporary);
        }
    }
}
