#include "qrcode/QRReedSolomon.h"

#include <algorithm>

namespace KXQRCode {

// ---- field ----------------------------------------------------------------------------------

TGenericGF::TGenericGF(int32_t Primitive, int32_t Size, int32_t B)
    : FExpTable(size_t(Size > 0 ? Size : 0)), FLogTable(size_t(Size > 0 ? Size : 0)), FSize(Size),
      FPrimitive(Primitive), FGeneratorBase(B)
{
    int32_t x = 1;
    for (int32_t i = 0; i < FSize; ++i) {
        FExpTable[size_t(i)] = x;
        x <<= 1;
        if (x >= FSize)
            x = (x ^ FPrimitive) & (FSize - 1);
    }
    for (int32_t i = 0; i < FSize - 1; ++i)
        FLogTable[size_t(FExpTable[size_t(i)])] = i;
}

const TGenericGF &TGenericGF::QRCodeField256()
{
    static const TGenericGF field = CreateQRCodeField256();
    return field;
}

int32_t TGenericGF::Multiply(int32_t A, int32_t B) const
{
    if (A == 0 || B == 0)
        return 0;
    return FExpTable[size_t((FLogTable[size_t(A)] + FLogTable[size_t(B)]) % (FSize - 1))];
}

int32_t TGenericGF::Inverse(int32_t A) const
{
    if (A == 0)
        return 0;
    return FExpTable[size_t(FSize - 1 - FLogTable[size_t(A)])];
}

std::optional<TGenericGFPoly> TGenericGF::BuildMonomial(int32_t Degree, int32_t Coefficient) const
{
    if (Degree < 0)
        return std::nullopt;
    if (Coefficient == 0)
        return GetZero();
    TIntegerArray c(size_t(Degree) + 1, 0);
    c[0] = Coefficient;
    return TGenericGFPoly(*this, std::move(c));
}

TGenericGFPoly TGenericGF::GetZero() const { return TGenericGFPoly(*this, {0}); }
TGenericGFPoly TGenericGF::GetOne() const { return TGenericGFPoly(*this, {1}); }

// ---- polynomials ----------------------------------------------------------------------------

TGenericGFPoly::TGenericGFPoly(const TGenericGF &AField, TIntegerArray ACoefficients)
    : FField(&AField), FCoefficients(std::move(ACoefficients))
{
    if (FCoefficients.empty()) {
        FCoefficients = {0};
        return;
    }
    if (FCoefficients.size() > 1 && FCoefficients[0] == 0) {
        const auto first = std::find_if(FCoefficients.begin(), FCoefficients.end(),
                                        [](int32_t c) { return c != 0; });
        if (first == FCoefficients.end())
            FCoefficients = {0};
        else
            FCoefficients.erase(FCoefficients.begin(), first);
    }
}

std::optional<TGenericGFPoly> TGenericGFPoly::AddOrSubtract(const TGenericGFPoly &Other) const
{
    if (!(*FField == *Other.FField))
        return std::nullopt;
    if (IsZero())
        return Other;
    if (Other.IsZero())
        return *this;
    const TIntegerArray &a = FCoefficients.size() >= Other.FCoefficients.size() ? FCoefficients
                                                                                 : Other.FCoefficients;
    const TIntegerArray &b = &a == &FCoefficients ? Other.FCoefficients : FCoefficients;
    TIntegerArray sum(a);
    const size_t lead = a.size() - b.size(); // coefficients of the longer one beyond the shorter
    for (size_t i = 0; i < b.size(); ++i)
        sum[lead + i] = a[lead + i] ^ b[i];
    return TGenericGFPoly(*FField, std::move(sum));
}

std::optional<TGenericGFPoly> TGenericGFPoly::Multiply(const TGenericGFPoly &Other) const
{
    if (!(*FField == *Other.FField))
        return std::nullopt;
    if (IsZero() || Other.IsZero())
        return FField->GetZero();
    TIntegerArray product(FCoefficients.size() + Other.FCoefficients.size() - 1, 0);
    for (size_t i = 0; i < FCoefficients.size(); ++i)
        for (size_t j = 0; j < Other.FCoefficients.size(); ++j)
            product[i + j] ^= FField->Multiply(FCoefficients[i], Other.FCoefficients[j]);
    return TGenericGFPoly(*FField, std::move(product));
}

std::optional<TGenericGFPoly> TGenericGFPoly::MultiplyByMonomial(int32_t Degree, int32_t Coefficient) const
{
    if (Degree < 0)
        return std::nullopt;
    if (Coefficient == 0)
        return FField->GetZero();
    TIntegerArray product(FCoefficients.size() + size_t(Degree), 0);
    for (size_t i = 0; i < FCoefficients.size(); ++i)
        product[i] = FField->Multiply(FCoefficients[i], Coefficient);
    return TGenericGFPoly(*FField, std::move(product));
}

std::vector<TGenericGFPoly> TGenericGFPoly::Divide(const TGenericGFPoly &Other) const
{
    if (!(*FField == *Other.FField) || Other.IsZero())
        return {};
    TGenericGFPoly quotient = FField->GetZero();
    TGenericGFPoly remainder = *this;
    const int32_t inv = FField->Inverse(Other.GetCoefficient(Other.GetDegree()));
    while (remainder.GetDegree() >= Other.GetDegree() && !remainder.IsZero()) {
        const int32_t d = remainder.GetDegree() - Other.GetDegree();
        const int32_t s = FField->Multiply(remainder.GetCoefficient(remainder.GetDegree()), inv);
        quotient = *quotient.AddOrSubtract(*FField->BuildMonomial(d, s));
        remainder = *remainder.AddOrSubtract(*Other.MultiplyByMonomial(d, s));
    }
    return {std::move(quotient), std::move(remainder)};
}

// ---- encoder --------------------------------------------------------------------------------

TReedSolomonEncoder::TReedSolomonEncoder(const TGenericGF &AField) : FField(&AField)
{
    FCachedGenerators.push_back(AField.GetOne());
}

const TGenericGFPoly &TReedSolomonEncoder::BuildGenerator(int32_t Degree)
{
    while (int32_t(FCachedGenerators.size()) <= Degree) {
        const int32_t d = int32_t(FCachedGenerators.size());
        const TGenericGFPoly root(*FField, {1, FField->Exp(FField->GetGeneratorBase() + d - 1)});
        FCachedGenerators.push_back(*FCachedGenerators.back().Multiply(root));
    }
    return FCachedGenerators[size_t(Degree)];
}

void TReedSolomonEncoder::Encode(TIntegerArray &ToEncode, int32_t ECBytes)
{
    const int32_t dataBytes = int32_t(ToEncode.size()) - ECBytes;
    if (ECBytes <= 0 || dataBytes <= 0)
        return;
    const TGenericGFPoly &generator = BuildGenerator(ECBytes);
    TIntegerArray info(ToEncode.begin(), ToEncode.begin() + dataBytes);
    const TGenericGFPoly shifted = *TGenericGFPoly(*FField, std::move(info)).MultiplyByMonomial(ECBytes, 1);
    const std::vector<TGenericGFPoly> quotientAndRemainder = shifted.Divide(generator);
    const TIntegerArray &rem = quotientAndRemainder[1].GetCoefficients();
    // A remainder with leading zero coefficients is shorter: its missing places are 0.
    const size_t zeros = size_t(ECBytes) - rem.size();
    std::fill_n(ToEncode.begin() + dataBytes, zeros, 0);
    std::copy(rem.begin(), rem.end(), ToEncode.begin() + dataBytes + int32_t(zeros));
}

// ---- fast block encoder ---------------------------------------------------------------------

namespace {

struct GeneratorTables {
    // exp[i] = alpha^i for i < 510 (so a sum of two logs needs no reduction), 0 from 512 on:
    // a zero generator coefficient is stored with the log 512 and so contributes nothing.
    std::array<uint8_t, 1024> exp{};
    std::array<uint16_t, 256> log{};
    // gen[n][i]: log of the coefficient of x^(n-1-i) of the degree-n generator (leading 1 left out).
    std::array<std::array<uint16_t, MaxECCodewords>, MaxECCodewords + 1> gen{};
};

const GeneratorTables &Tables()
{
    static const GeneratorTables tables = [] {
        GeneratorTables t;
        const TGenericGF &f = TGenericGF::QRCodeField256();
        for (int i = 0; i < 510; ++i)
            t.exp[size_t(i)] = uint8_t(f.Exp(i % 255));
        for (int i = 1; i < 256; ++i)
            t.log[size_t(i)] = uint16_t(f.Log(i));
        TReedSolomonEncoder rs(f);
        for (int n = 1; n <= MaxECCodewords; ++n) {
            const TIntegerArray &c = rs.BuildGenerator(n).GetCoefficients();
            for (int i = 0; i < n; ++i) {
                const int32_t v = c[size_t(i) + 1];
                t.gen[size_t(n)][size_t(i)] = v ? t.log[size_t(v)] : uint16_t(512);
            }
        }
        return t;
    }();
    return tables;
}

} // namespace

void ComputeECCodewords(const uint8_t *Data, int NumData, uint8_t *EC, int NumEC)
{
    const GeneratorTables &t = Tables();
    const uint16_t *g = t.gen[size_t(NumEC)].data();
    std::fill_n(EC, NumEC, uint8_t(0));
    for (int k = 0; k < NumData; ++k) {
        const uint8_t factor = uint8_t(Data[k] ^ EC[0]);
        std::copy(EC + 1, EC + NumEC, EC);
        EC[NumEC - 1] = 0;
        if (factor) {
            const unsigned lf = t.log[factor];
            for (int i = 0; i < NumEC; ++i)
                EC[i] ^= t.exp[lf + g[i]];
        }
    }
}

} // namespace KXQRCode
