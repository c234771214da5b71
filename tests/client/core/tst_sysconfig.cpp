// SysConfig.ini as the start-up sequence reads and writes it.
#include "client/core/inifile.h"
#include "client/core/paths.h"
#include "client/core/sysconfig.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SysConfigTest : public ::testing::Test
{
protected:
    void SetUp() override { SetExeDir(m_dir.path()); }
    void TearDown() override { SetExeDir({}); }

    void writeFile(const QByteArray &content)
    {
        QFile file(SysConfigFileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readFile()
    {
        QFile file(SysConfigFileName());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SysConfigTest, FirstHostNameLineWinsWhateverItsSection)
{
    writeFile("[hostname]\r\nhostname=A\r\n[login]\r\nHostName=B\r\nuser=li\r\n");
    EXPECT_EQ(ConfiguredHostName(), QStringLiteral("A"));
    writeFile("[login]\nHOSTNAME=B\n[hostname]\nhostname=A\n");
    EXPECT_EQ(ConfiguredHostName(), QStringLiteral("B"));
}

TEST_F(SysConfigTest, ServerAddressDialogCreatesTheLoginSection)
{
    EXPECT_FALSE(SysConfigExists());
    ASSERT_TRUE(SaveServerAddress(QStringLiteral("127.0.0.1")));
    EXPECT_TRUE(SysConfigExists());
    EXPECT_EQ(readFile(), QByteArray("[login]\nhostname=127.0.0.1\n"));
    EXPECT_EQ(ConfiguredHostName(), QStringLiteral("127.0.0.1"));
}

TEST_F(SysConfigTest, WritingAKeyKeepsTheRestOfTheFile)
{
    writeFile("; notes of the installer\n[login]\nhostname=10.0.0.1\nztcode=001\n\n[other]\nx=1\n");
    ASSERT_TRUE(WriteLoginSetting(QStringLiteral("user"), QStringLiteral("O'Neil")));
    ASSERT_TRUE(SaveServerAddress(QStringLiteral("10.0.0.2:2110")));
    EXPECT_EQ(readFile(), QByteArray("; notes of the installer\n[login]\nhostname=10.0.0.2:2110\n"
                                     "ztcode=001\nuser=O'Neil\n\n[other]\nx=1\n"));
    EXPECT_EQ(ReadLoginSetting(QStringLiteral("USER")), QStringLiteral("O'Neil"));
    EXPECT_EQ(ReadLoginSetting(QStringLiteral("missing"), QStringLiteral("SYS")),
              QStringLiteral("SYS"));
}

TEST_F(SysConfigTest, DefaultConfigNamesThisComputer)
{
    ASSERT_TRUE(WriteDefaultConfig());
    EXPECT_EQ(ConfiguredHostName(), LocalComputerName());
    EXPECT_TRUE(readFile().startsWith("[hostname]\nhostname="));
}

TEST_F(SysConfigTest, ShowAuditDefaultsToTrue)
{
    EXPECT_TRUE(ReadShowAudit());
    writeFile("[login]\nshowaudit=0\n");
    EXPECT_FALSE(ReadShowAudit());
    writeFile("[login]\nshowaudit=1\n");
    EXPECT_TRUE(ReadShowAudit());
    writeFile("[login]\nshowaudit=False\n");
    EXPECT_FALSE(ReadShowAudit());
}

TEST(ServerAddressParsing, PortIsOptionalAndDefaultsTo211)
{
    EXPECT_EQ(ParseServerAddress(QStringLiteral(" 192.168.1.20 ")).host,
              QStringLiteral("192.168.1.20"));
    EXPECT_EQ(ParseServerAddress(QStringLiteral("192.168.1.20")).port, 211);
    const ServerAddress a = ParseServerAddress(QStringLiteral("server:2110"));
    EXPECT_EQ(a.host, QStringLiteral("server"));
    EXPECT_EQ(a.port, 2110);
    EXPECT_EQ(ParseServerAddress(QStringLiteral("server:99999")).port, 211);
    EXPECT_EQ(ParseServerAddress(QStringLiteral("[::1]:2110")).host, QStringLiteral("::1"));
    EXPECT_EQ(ParseServerAddress(QStringLiteral("[::1]:2110")).port, 2110);
    EXPECT_EQ(ParseServerAddress(QStringLiteral("::1")).port, 211);
}

TEST(ExeDirFiles, BackslashNamesResolveBesideTheProgram)
{
    QTemporaryDir dir;
    SetExeDir(dir.path());
    EXPECT_EQ(ExeDirFile(QStringLiteral("System\\SystemSet.ini")),
              dir.path() + QStringLiteral("/System/SystemSet.ini"));
    SetExeDir({});
}
