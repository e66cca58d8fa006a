#include "shell/UUtils.h"

#include "container/AesLib.h"
#include "branding/BrandingFileKey.h"
#include "container/FileStreams.h"

// The outcome of the container's checks is deliberately not reported: the branding file
// reads whatever the plain copy holds, which is nothing after a wrong password.

void DecryptFile(const std::string& sourcePath, const std::string& destinationPath)
{
    FileReadStream source(sourcePath);
    FileWriteStream destination(destinationPath);
    TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
    encryption.Decrypt(source, &destination, source.Size());
}

void EncryptFile(const std::string& sourcePath, const std::string& destinationPath)
{
    FileReadStream source(sourcePath);
    FileWriteStream destination(destinationPath);
    TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
    encryption.Encrypt(source, destination);
}
