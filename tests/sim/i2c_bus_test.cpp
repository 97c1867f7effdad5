#include "sim/devices/i2c_bus.h"

#include <gtest/gtest.h>

#include "sim/devices/i2c_register_file.h"

namespace zev::sim {
namespace {

TEST(I2cAddress, EightAndSevenBitForms) {
  EXPECT_EQ(I2cAddress::EightBit(0xA0), I2cAddress::SevenBit(0x50));
  EXPECT_EQ(I2cAddress::EightBit(0x76).sevenBit(), 0x3B);
  EXPECT_EQ(I2cAddress::SevenBit(0x3F).eightBit(), 0x7E);
  EXPECT_THROW(I2cAddress::EightBit(0xA1), std::invalid_argument) << "a read address";
  EXPECT_THROW(I2cAddress::SevenBit(0x80), std::invalid_argument);
}

TEST(I2cBus, AttachAndDetach) {
  I2cBus bus;
  auto& file = bus.Emplace<I2cRegisterFile>(I2cAddress::EightBit(0xEC));
  EXPECT_TRUE(bus.Acknowledges(0x76));
  EXPECT_FALSE(bus.Acknowledges(0x50));
  EXPECT_EQ(bus.Target(I2cAddress::SevenBit(0x76)), &file);
  EXPECT_THROW(bus.Attach(I2cAddress::EightBit(0xEC), std::make_shared<I2cRegisterFile>()), std::logic_error);
  EXPECT_THROW(bus.Attach(I2cAddress::EightBit(0xA0), nullptr), std::invalid_argument);
  bus.Detach(I2cAddress::EightBit(0xEC));
  EXPECT_FALSE(bus.Acknowledges(0x76));
  EXPECT_EQ(bus.Target(I2cAddress::EightBit(0xEC)), nullptr);
  EXPECT_FALSE(bus.SetPointer(0x76, 0));
  EXPECT_FALSE(bus.Write(0x76, 0));
  EXPECT_FALSE(bus.Read(0x76));
}

TEST(I2cBus, RegisterPointerPerTarget) {
  I2cBus bus;
  auto& a = bus.Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x10));
  auto& b = bus.Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x11));
  ASSERT_TRUE(bus.SetPointer(0x10, 0xFE));
  ASSERT_TRUE(bus.SetPointer(0x11, 0x40));
  EXPECT_TRUE(bus.Write(0x10, 1));
  EXPECT_TRUE(bus.Write(0x10, 2));
  EXPECT_TRUE(bus.Write(0x10, 3)) << "wraps to register 0";
  EXPECT_TRUE(bus.Write(0x11, 9));
  EXPECT_EQ(a.Peek(0xFE), 1);
  EXPECT_EQ(a.Peek(0xFF), 2);
  EXPECT_EQ(a.Peek(0x00), 3);
  EXPECT_EQ(b.Peek(0x40), 9);
  // The pointer persists: reads go on from where the writes stopped.
  a.Poke(0x01, 0x77);
  EXPECT_EQ(bus.Read(0x10), std::optional<uint8_t>(0x77));
  EXPECT_EQ(a.writes(), 3u);
  EXPECT_EQ(a.reads(), 1u);
}

TEST(I2cBus, UnacknowledgedBytesDoNotAdvanceThePointer) {
  struct ReadOnlyAbove : I2cRegisterFile {
    bool WriteRegister(uint8_t reg, uint8_t value) override {
      return reg < 0x80 && I2cRegisterFile::WriteRegister(reg, value);
    }
    std::optional<uint8_t> ReadRegister(uint8_t reg) override {
      if (reg == 0x90) return std::nullopt;
      return I2cRegisterFile::ReadRegister(reg);
    }
  };
  I2cBus bus;
  auto& file = bus.Emplace<ReadOnlyAbove>(I2cAddress::SevenBit(0x20));
  bus.SetPointer(0x20, 0x80);
  EXPECT_FALSE(bus.Write(0x20, 5));
  EXPECT_FALSE(bus.Write(0x20, 5));
  bus.SetPointer(0x20, 0x90);
  EXPECT_FALSE(bus.Read(0x20));
  EXPECT_FALSE(bus.Read(0x20)) << "still at 0x90";
  EXPECT_EQ(file.Peek(0x80), 0);
}

TEST(I2cRegisterFile, LoadStopsAtTheLastRegister) {
  I2cRegisterFile file;
  const uint8_t data[] = {1, 2, 3, 4};
  file.Load(data, 0xFE);
  EXPECT_EQ(file.Peek(0xFE), 1);
  EXPECT_EQ(file.Peek(0xFF), 2);
  EXPECT_EQ(file.Peek(0x00), 0) << "nothing wraps";
  EXPECT_EQ(file.writes(), 0u) << "not bus traffic";
}

}  // namespace
}  // namespace zev::sim
