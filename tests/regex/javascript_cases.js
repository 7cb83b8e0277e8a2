// Prints the rows of the tables in javascript_agreement_test.cpp from
// JavaScript's own RegExp: `node javascript_cases.js`. Run it by hand when a
// case is added; the tests never run node.
const bytes = (s) => { let n = 0; for (const ch of s) for (let i = 0; i < ch.length; ++i) n += ch.charCodeAt(i) < 0x80 ? 1 : 2; return n; };
const cpp = (s) => '"' + [...s].map(ch => {
  const c = ch.codePointAt(0);
  if (ch === '"') return '\\"'; if (ch === '\\') return '\\\\';
  if (ch === '\n') return '\\n'; if (c < 0x20) return '\\x' + c.toString(16).padStart(2, '0');
  return ch; }).join('') + '"';
const matchCases = [
  ['videoID=(\\d+)', 'gim', 'https://v.example.com/share?videoID=987&x=1'],
  ['videoID=(\\d+)', 'gim', 'https://v.example.com/s?VIDEOID=42&videoid=7'],
  ['\\d+', 'gim', '视频123和456'],
  ['b', 'gim', '视频ab'],
  ['[a-z]+', 'gim', 'ABC视频def'],
  ['[a-z]+', 'gm', 'ABC视频def'],
  ['视(.)', 'gim', '视频视听'],
  ['a*?', 'gim', 'aa'],
  ['x*', 'gim', 'xax'],
  ['^\\w+$', 'gim', 'ab\ncd\n'],
  ['^', 'gim', 'a\n'],
  ['$', 'gim', 'a\nb'],
  ['b$', 'gi', 'ab\n'],
  ['α', 'gim', 'ΑαΒ'],
  ['ａ', 'gim', 'ＡａＢ'],
  ['\\w+', 'gim', '中文abc_1中'],
  ['\\bab', 'gim', '中ab ab'],
  ['(a)|(b)', 'gim', 'ab'],
  ['(x)?y\\1', 'gim', 'y'],
  ['<meta.+?charset=[^\\w]?([-\\w]+)', 'gim', '<meta http-equiv="Content-Type" content="text/html; charset=gb2312">'],
  ['.', 'gim', 'a\n视'],
  ['[^]', 'gim', 'a\nb'],
  ['\\u89c6.', 'gim', '视频'],
  ['(?<=视)频', 'gim', '视频频'],
  ['(频)+', 'gim', '视频频频a频'],
  ['\\d+', 'im', '12 34'],
  ['(\\w+)@(\\w+)\\.com', 'gim', '邮箱：ann@example.com，bob@test.com。'],
];
console.log('// pattern, caseSensitive, multiline, global, subject, then per match: text, UTF-16 index, byte offset, groups');
for (const [p, f, s] of matchCases) {
  const re = new RegExp(p, f);
  const found = f.includes('g') ? [...s.matchAll(re)] : [s.match(re)].filter(Boolean);
  const ms = found.map(m => `{${cpp(m[0])}, ${m.index}, ${bytes(s.slice(0, m.index))}, {${m.slice(1).map(g => cpp(g ?? '')).join(', ')}}}`);
  console.log(`    {${cpp(p)}, ${!f.includes('i')}, ${f.includes('m')}, ${f.includes('g')}, ${cpp(s)},\n     {${ms.join(',\n      ')}}},`);
}
const replaceCases = [
  ['(\\d+)-(\\d+)', 'gim', '10-20 视频 30-40', '$2-$1'],
  ['频', 'gim', '视频视频', '[$&]'],
  ['频', 'im', '视频视频', '[$&]'],
  ['b', 'gim', 'abc', "[$`|$']"],
  ['b', 'gim', 'abc', '$$'],
  ['(b)', 'gim', 'abc', '$0$00$01$10$2$'],
  ['(b)', 'gim', 'abc', '$x$'],
  ['(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)', 'gim', 'abcdefghijk', '$11|$10|$1|$011|$12'],
  ['x*', 'gim', 'abc', '-'],
  ['(a)|(b)', 'gim', 'ab', '[$1$2]'],
  ['视(频)?', 'gim', '视频视', '<$1>'],
];
for (const [p, f, s, r] of replaceCases) {
  console.log(`    {${cpp(p)}, ${f.includes('g')}, ${cpp(s)}, ${cpp(r)}, ${cpp(s.replace(new RegExp(p, f), r))}},`);
}
