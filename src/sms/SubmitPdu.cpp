#include "sms/SubmitPdu.h"

namespace {

constexpr int kSubmit = 0x01;           // TP-MTI SMS-SUBMIT
constexpr int kRelativeValidity = 0x10; // TP-VPF 10: one octet of relative validity
constexpr int kStatusReport = 0x20;     // TP-SRR
constexpr int kHeader = 0x40;           // TP-UDHI
constexpr int kOneDay = 0xA7;           // (167 - 143) half hours + 12 hours
constexpr int kConcatHeaderOctets = 6;  // UDHL 05, IEI 00, IEDL 03, reference, total, sequence

} // namespace

UserData PartUserData(SmsCoding coding, const QString &piece, int reference, int total, int sequence)
{
    UserData ud;
    ud.header = total > 1;
    if (ud.header) {
        ud.octets = QByteArray(kConcatHeaderOctets, '\0');
        ud.octets[0] = char(kConcatHeaderOctets - 1);
        ud.octets[1] = char(0x00);
        ud.octets[2] = char(0x03);
        ud.octets[3] = char(reference & 0xFF);
        ud.octets[4] = char(total & 0xFF);
        ud.octets[5] = char(sequence & 0xFF);
    }
    if (coding == SmsCoding::Gsm7) {
        const QByteArray septets = GsmSeptets(piece);
        // The text begins at the first septet boundary behind the header.
        const int headerSeptets = ud.header ? (kConcatHeaderOctets * 8 + 6) / 7 : 0;
        const int fill = ud.header ? headerSeptets * 7 - kConcatHeaderOctets * 8 : 0;
        ud.octets += PackSeptets(septets, fill);
        ud.length = headerSeptets + int(septets.size());
    } else {
        ud.octets += Ucs2Octets(piece);
        ud.length = int(ud.octets.size());
    }
    return ud;
}

QByteArray DestinationField(const QString &number)
{
    const bool international = number.startsWith(u'+');
    const QString digits = international ? number.mid(1) : number;
    QByteArray field;
    field.append(char(digits.size()));
    field.append(char(international ? 0x91 : 0x81));
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int low = digits[i].unicode() - u'0';
        const int high = i + 1 < digits.size() ? digits[i + 1].unicode() - u'0' : 0xF;
        field.append(char((high << 4) | (low & 0x0F)));
    }
    return field;
}

QList<SubmitPdu> BuildSubmitPdus(const QString &number, SmsCoding coding, const QStringList &pieces, bool statusReport,
                                 int reference)
{
    QList<SubmitPdu> pdus;
    const int total = int(pieces.size());
    for (int i = 0; i < total; ++i) {
        const UserData ud = PartUserData(coding, pieces[i], reference, total, i + 1);
        QByteArray tpdu;
        tpdu.append(char(kSubmit | kRelativeValidity | (statusReport ? kStatusReport : 0) | (ud.header ? kHeader : 0)));
        tpdu.append(char(0x00)); // TP-MR: the modem's
        tpdu.append(DestinationField(number));
        tpdu.append(char(0x00)); // TP-PID: a plain short message
        tpdu.append(char(coding == SmsCoding::Gsm7 ? 0x00 : 0x08));
        tpdu.append(char(kOneDay));
        tpdu.append(char(ud.length));
        tpdu.append(ud.octets);
        SubmitPdu pdu;
        pdu.hex = QString::fromLatin1(QByteArray(1, '\0').append(tpdu).toHex().toUpper());
        pdu.length = int(tpdu.size());
        pdus.append(pdu);
    }
    return pdus;
}
