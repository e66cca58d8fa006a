<?php
// The server path of the counting include, as the line that every page includes will quote
// it, without a line break; "BADPATH" when no such line could be written.

declare(strict_types=1);

ini_set('display_errors', '0');
header('Content-Type: text/plain');
header('Cache-Control: no-store');

$path = realpath(__DIR__ . '/count.php');
if (is_string($path) && DIRECTORY_SEPARATOR === '\\') {
    // Windows takes forward slashes, and a pair of backslashes would shrink inside the quotes.
    $path = str_replace('\\', '/', $path);
}
// The include line quotes the path in single quotes, on one line.
echo (is_string($path) && strpbrk($path, "'\\\r\n") === false) ? $path : 'BADPATH';
