#include "BrandCommands.h"
#include "ReadAheadStream.h"
#include "ReplaceViaTemporary.h"

#include "container/AesLib.h"
#include "branding/BrandingFileKey.h"
#include "container/FileStreams.h"

#include <stdexcept>

// Both commands use the program's own password, so what they write the program reads.

int RunEncrypt(const std::vector<std::string>& arguments, std::ostream& errors)
{
    const std::string& plainPath = arguments[0];
    const std::string& outPath = arguments[1];
    try {
        FileReadStream source(plainPath);
        const std::string error = ReplaceViaTemporary(outPath, [&](WritableStream& destination) -> std::string {
            ReadAheadStream input(source);
            TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
            if (!encryption.Encrypt(input, destination))
                return input.Failed() ? "cannot read " + plainPath : "cannot write " + outPath;
            return {};
        });
        if (!error.empty()) {
            errors << "tallywick-brand: encrypt: " << error << "\n";
            return kExitFailure;
        }
    } catch (const std::runtime_error& failure) {
        errors << "tallywick-brand: encrypt: " << failure.what() << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunDecrypt(const std::vector<std::string>& arguments, std::ostream& errors)
{
    const std::string& containerPath = arguments[0];
    const std::string& outPath = arguments[1];
    try {
        FileReadStream source(containerPath);
        const std::string error = ReplaceViaTemporary(outPath, [&](WritableStream& destination) -> std::string {
            ReadAheadStream input(source);
            TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
            // Data chunks are only reported once the verifier has matched, which tells a
            // wrong password from damage found by the authentication code.
            bool verifierMatched = false;
            encryption.OnProgress = [&](TEncryption&, std::uint8_t stage, std::int64_t) {
                if (stage == 5)
                    verifierMatched = true;
            };
            if (encryption.Decrypt(input, &destination, source.Size()))
                return {};
            if (input.Failed())
                return "cannot read " + containerPath;
            if (!verifierMatched)
                return containerPath
                    + " was not made with this program's password, or is not a container "
                      "(password verifier does not match)";
            return containerPath + " is damaged or was altered (authentication code does not match)";
        });
        if (!error.empty()) {
            errors << "tallywick-brand: decrypt: " << error << "; " << outPath << " was not written\n";
            return kExitFailure;
        }
    } catch (const std::runtime_error& failure) {
        errors << "tallywick-brand: decrypt: " << failure.what() << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}
