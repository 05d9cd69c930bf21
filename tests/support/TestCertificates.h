#pragma once
// Certificates made for a test run by the openssl tool, none kept in the
// repository: a test CA; the archive's certificate it signed and one signed
// by a CA nobody trusts; the relay's own; all PEM in a temporary folder.

#include "DicomTools.h"

#include <QTemporaryDir>

namespace quorin::test {

class TestCertificates {
public:
    // False, and error() says why, when openssl failed.
    bool make()
    {
        return m_folder.isValid() && selfSigned("ca", "Quorin Test CA") && selfSigned("stranger-ca", "Stranger CA")
               && signedBy("archive", "ca") && signedBy("stranger", "stranger-ca") && signedBy("relay", "ca") && signedBy("other", "ca")
               && openssl({"pkey", "-in", path("relay.key"), "-aes256", "-passout", "pass:secret", "-out", path("locked.key")});
    }

    // "ca.pem"; "archive.pem"/".key" (signed by the CA), "stranger.pem"/".key"
    // (by a CA not trusted), "relay.pem"/".key", "other.key" (fits no
    // certificate the relay is given), "locked.key" (relay.key, encrypted).
    QString path(const QString& name) const { return m_folder.filePath(name); }
    QString error() const { return m_error; }

private:
    bool selfSigned(const QString& name, const QString& commonName)
    {
        return openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=" + commonName,
                        "-keyout", path(name + ".key"), "-out", path(name + ".pem")});
    }

    bool signedBy(const QString& name, const QString& ca)
    {
        return openssl({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
                        path(name + ".key"), "-out", path(name + ".csr")})
               && openssl({"x509", "-req", "-in", path(name + ".csr"), "-CA", path(ca + ".pem"), "-CAkey",
                           path(ca + ".key"), "-set_serial", QString::number(++m_serial), "-days", "2", "-out",
                           path(name + ".pem")});
    }

    bool openssl(const QStringList& arguments)
    {
        const ToolRun run = RunTool(QStringLiteral("openssl"), arguments, 60000);
        if (!run.succeeded())
            m_error = QStringLiteral("openssl %1: %2").arg(arguments.first(), run.output);
        return run.succeeded();
    }

    QTemporaryDir m_folder;
    QString m_error;
    int m_serial = 0;
};

} // namespace quorin::test
